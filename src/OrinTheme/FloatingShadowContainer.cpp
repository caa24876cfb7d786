#include "OrinTheme/FloatingShadowContainer.h"

#include <QPaintEvent>
#include <QPainter>

#include <array>
#include <cmath>
#include <vector>

namespace {

// Widths of three box blurs whose succession approximates a Gaussian of `sigma`.
std::array<int, 3> boxWidths(double sigma) {
    const double ideal = std::sqrt(12 * sigma * sigma / 3 + 1);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    const int upper = lower + 2;
    const double m = std::round((12 * sigma * sigma - 3 * lower * lower - 4 * 3 * lower - 3 * 3) /
                                (-4 * lower - 4));
    std::array<int, 3> widths{};
    for (int i = 0; i < 3; ++i)
        widths[i] = i < m ? lower : upper;
    return widths;
}

// One box blur of radius r along rows (stride 1) or columns (stride = width), edges clamped to
// zero: the shadow fades to nothing before the bounds.
void boxPass(const std::vector<float> &in, std::vector<float> &out, int width, int height, int r,
             bool horizontal) {
    const int lines = horizontal ? height : width;
    const int length = horizontal ? width : height;
    const int step = horizontal ? 1 : width;
    const float scale = 1.0f / float(2 * r + 1);
    for (int line = 0; line < lines; ++line) {
        const int base = horizontal ? line * width : line;
        auto at = [&](int i) {
            return i < 0 || i >= length ? 0.0f : in[base + i * step];
        };
        float sum = 0;
        for (int i = -r; i <= r; ++i)
            sum += at(i);
        for (int i = 0; i < length; ++i) {
            out[base + i * step] = sum * scale;
            sum += at(i + r + 1) - at(i - r);
        }
    }
}

void gaussianBlur(std::vector<float> &values, int width, int height, double sigma) {
    if (sigma <= 0)
        return;
    std::vector<float> scratch(values.size());
    for (int w : boxWidths(sigma)) {
        const int r = (w - 1) / 2;
        boxPass(values, scratch, width, height, r, true);
        boxPass(scratch, values, width, height, r, false);
    }
}

} // namespace

FloatingShadowContainer::FloatingShadowContainer(const QRect &frame, int margin, qreal cornerRadius,
                                                 QWidget *parent)
    : QWidget(parent)
    , m_margin(margin)
    , m_cornerRadius(cornerRadius) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setGeometry(frame);
    updateShadow();
}

QRectF FloatingShadowContainer::surfaceRect() const {
    return QRectF(rect()).adjusted(m_margin, m_margin, -m_margin, -m_margin);
}

QPainterPath FloatingShadowContainer::surfaceOutline() const {
    QPainterPath path;
    const QRectF surface = surfaceRect();
    if (surface.isEmpty())
        return path;
    const qreal radius = qMin(m_cornerRadius, qMin(surface.width(), surface.height()) / 2);
    path.addRoundedRect(surface, radius, radius);
    return path;
}

void FloatingShadowContainer::updateShadow() {
    render();
    update();
}

void FloatingShadowContainer::render() {
    ++m_renderCount;
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (pixels.isEmpty()) {
        m_shadow = QImage();
        return;
    }

    // The shadow's shape: the outline moved by the offset, as coverage.
    QImage shape(pixels, QImage::Format_Grayscale8);
    shape.fill(0);
    {
        QPainter painter(&shape);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(ratio, ratio);
        painter.translate(shadowOffset);
        painter.fillPath(surfaceOutline(), Qt::white);
    }
    const int w = pixels.width();
    const int h = pixels.height();
    std::vector<float> values(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const uchar *line = shape.constScanLine(y);
        for (int x = 0; x < w; ++x)
            values[size_t(y) * size_t(w) + size_t(x)] = line[x] / 255.0f;
    }
    // The blur radius spans about two standard deviations.
    gaussianBlur(values, w, h, shadowRadius / 2 * ratio);

    QImage shadow(pixels, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(shadow.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const float v = values[size_t(y) * size_t(w) + size_t(x)];
            const int alpha = qBound(0, int(std::lround(v * shadowOpacity * 255)), 255);
            line[x] = qRgba(0, 0, 0, alpha);
        }
    }
    // Even-odd with the bounds: everything but the surface keeps the shadow.
    {
        QPainter painter(&shadow);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(ratio, ratio);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        painter.fillPath(surfaceOutline(), Qt::black);
    }
    shadow.setDevicePixelRatio(ratio);
    m_shadow = std::move(shadow);
}

void FloatingShadowContainer::paintEvent(QPaintEvent *event) {
    // Moved to a screen of another scale, or resized while hidden (no resize event yet).
    const QSize pixels = (QSizeF(size()) * devicePixelRatioF()).toSize();
    if (m_shadow.size() != pixels ||
        !qFuzzyCompare(m_shadow.devicePixelRatio(), devicePixelRatioF()))
        render();
    if (m_shadow.isNull())
        return;
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawImage(QPointF(0, 0), m_shadow);
}

void FloatingShadowContainer::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    updateShadow();
}
