#include "Chromet/Picking/PillView.h"

#include "Chromet/Picking/GlassView.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal shadowBlur = 3.0; // blur radius in points, as a Gaussian of sigma blur / 2
constexpr int shadowMargin = 4;   // points around the text for the blur to spread into

struct ToneColors {
    QColor text;
    QColor shadow;
    QColor swatchRim;
};

ToneColors colors(PillTone tone) {
    if (tone == PillTone::darkText)
        return {QColor(0, 0, 0, 217), QColor(255, 255, 255, 153), QColor(0, 0, 0, 64)};
    return {Qt::white, QColor(0, 0, 0, 140), QColor(255, 255, 255, 179)};
}

// One horizontal and one vertical box pass of radius r over an alpha image.
void boxBlur(QImage &image, int r) {
    if (r <= 0)
        return;
    const int w = image.width();
    const int h = image.height();
    std::vector<int> line(size_t(std::max(w, h)));
    const int window = 2 * r + 1;
    for (int y = 0; y < h; ++y) {
        uchar *row = image.scanLine(y);
        for (int x = 0; x < w; ++x)
            line[size_t(x)] = row[x];
        int sum = 0;
        for (int x = -r; x <= r; ++x)
            sum += (x >= 0 && x < w) ? line[size_t(x)] : 0;
        for (int x = 0; x < w; ++x) {
            row[x] = uchar(sum / window);
            const int out = x - r;
            const int in = x + r + 1;
            sum += (in < w ? line[size_t(in)] : 0) - (out >= 0 ? line[size_t(out)] : 0);
        }
    }
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y)
            line[size_t(y)] = image.scanLine(y)[x];
        int sum = 0;
        for (int y = -r; y <= r; ++y)
            sum += (y >= 0 && y < h) ? line[size_t(y)] : 0;
        for (int y = 0; y < h; ++y) {
            image.scanLine(y)[x] = uchar(sum / window);
            const int out = y - r;
            const int in = y + r + 1;
            sum += (in < h ? line[size_t(in)] : 0) - (out >= 0 ? line[size_t(out)] : 0);
        }
    }
}

} // namespace

PillView::PillView(QWidget *parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    m_staticText.setTextFormat(Qt::PlainText);
    m_staticText.setPerformanceHint(QStaticText::AggressiveCaching);
}

const QFont &PillView::font() {
    static const QFont font = [] {
        QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        f.setStyleHint(QFont::Monospace);
        f.setPixelSize(14);
        f.setWeight(QFont::DemiBold);
        return f;
    }();
    return font;
}

qreal PillView::textWidth(const QString &text) {
    static const QFontMetricsF metrics(font());
    return metrics.horizontalAdvance(text);
}

void PillView::setColor(const QColor &color) {
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void PillView::setText(const QString &text) {
    if (text == m_text)
        return;
    m_text = text;
    m_staticText.setText(text);
    update();
}

void PillView::setTone(PillTone tone) {
    if (tone == m_tone)
        return;
    m_tone = tone;
    update();
}

void PillView::setBoundsSize(const QSizeF &size) {
    if (size == m_bounds)
        return;
    m_bounds = size;
    update();
}

const QImage &PillView::shadow(qreal ratio) {
    if (m_shadowText == m_text && m_shadowTone == m_tone && m_shadowRatio == ratio &&
        !m_shadow.isNull())
        return m_shadow;
    m_shadowText = m_text;
    m_shadowTone = m_tone;
    m_shadowRatio = ratio;

    const QFontMetricsF metrics(font());
    const QSizeF size(metrics.horizontalAdvance(m_text) + 2 * shadowMargin,
                      metrics.height() + 2 * shadowMargin);
    QImage alpha(QSize(int(std::ceil(size.width() * ratio)), int(std::ceil(size.height() * ratio))),
                 QImage::Format_Alpha8);
    alpha.fill(0);
    {
        QPainter painter(&alpha);
        painter.scale(ratio, ratio);
        painter.setFont(font());
        painter.setPen(Qt::black);
        painter.drawStaticText(QPointF(shadowMargin, shadowMargin), m_staticText);
    }
    // Three box passes approach a Gaussian of the shadow's sigma.
    const qreal sigma = shadowBlur / 2 * ratio;
    const int r = std::max(1, int(std::lround((std::sqrt(1 + 4 * sigma * sigma) - 1) / 2)));
    for (int pass = 0; pass < 3; ++pass)
        boxBlur(alpha, r);

    m_shadow = QImage(alpha.size(), QImage::Format_ARGB32_Premultiplied);
    m_shadow.fill(Qt::transparent);
    {
        QPainter painter(&m_shadow);
        painter.drawImage(0, 0, alpha);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(m_shadow.rect(), colors(m_tone).shadow);
    }
    m_shadow.setDevicePixelRatio(ratio);
    return m_shadow;
}

void PillView::paintPill(QPainter &painter, const QRectF &bounds) {
    const ToneColors tone = colors(m_tone);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const qreal midY = bounds.center().y();
    painter.setPen(QPen(tone.swatchRim, 1.0));
    painter.setBrush(m_color);
    painter.drawEllipse(
        QRectF(bounds.left() + swatchInset, midY - swatchSize / 2, swatchSize, swatchSize));

    if (!m_text.isEmpty()) {
        const QFontMetricsF metrics(font());
        const QPointF textTopLeft(bounds.left() + textX, midY - metrics.height() / 2);
        // The shadow is rendered at the device's resolution, times the glass's scale.
        const qreal ratio = painter.device()->devicePixelRatioF() *
                            std::max(std::abs(painter.worldTransform().m11()), qreal(0.01));
        const QImage &image = shadow(std::ceil(ratio * 4) / 4);
        painter.drawImage(textTopLeft - QPointF(shadowMargin, shadowMargin), image);
        painter.setFont(font());
        painter.setPen(tone.text);
        painter.drawStaticText(textTopLeft, m_staticText);
    }
    painter.restore();
}

void PillView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    GlassView::prepareContentPainter(painter, this, m_bounds);
    paintPill(painter, QRectF(QPointF(0, 0), m_bounds.isEmpty() ? QSizeF(size()) : m_bounds));
}
