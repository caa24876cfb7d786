#include "SyntheticDesktop.h"

#include <QColorSpace>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>
#include <cmath>

namespace {

// A window as a desktop draws it: rounded, with a title bar, its buttons and a title.
QRectF drawWindow(QPainter &p, const QRectF &frame, const QString &title, const QColor &body) {
    QPainterPath outline;
    outline.addRoundedRect(frame, 10, 10);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawPath(outline.translated(0, 6));
    p.setBrush(body);
    p.drawPath(outline);
    p.setClipPath(outline);
    const QRectF bar(frame.left(), frame.top(), frame.width(), 34);
    p.fillRect(bar, body.darker(108));
    const std::array<QColor, 3> buttons{QColor(0xff5f57), QColor(0xfebc2e), QColor(0x28c840)};
    for (int i = 0; i < 3; ++i)
        p.setBrush(buttons[size_t(i)]),
            p.drawEllipse(QPointF(bar.left() + 18 + 20 * i, bar.center().y()), 6, 6);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0x3c, 0x3c, 0x43));
    p.drawText(bar, Qt::AlignCenter, title);
    p.restore();
    return frame.adjusted(0, bar.height(), 0, 0);
}

} // namespace

SyntheticDesktop::SyntheticDesktop(const QRectF &frame, double ratio)
    : m_frame(frame)
    , m_ratio(ratio) {
    m_image = QImage((frame.size() * ratio).toSize(), QImage::Format_RGB32);
    m_image.setDevicePixelRatio(ratio);
    m_image.setColorSpace(QColorSpace(QColorSpace::SRgb));

    const qreal w = frame.width();
    const qreal h = frame.height();
    QPainter p(&m_image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Wallpaper: a diagonal sweep from indigo through teal to orange, with a warm glow.
    QLinearGradient sweep(0, 0, w, h);
    sweep.setColorAt(0, QColor(0x4b2aa8));
    sweep.setColorAt(0.5, QColor(0x1d8fa8));
    sweep.setColorAt(1, QColor(0xf08a3c));
    p.fillRect(QRectF(0, 0, w, h), sweep);
    QRadialGradient glow(QPointF(0.78 * w, 0.2 * h), 0.35 * w);
    glow.setColorAt(0, QColor(255, 214, 120, 150));
    glow.setColorAt(1, QColor(255, 214, 120, 0));
    p.fillRect(QRectF(0, 0, w, h), glow);

    // The desktop's top bar.
    p.fillRect(QRectF(0, 0, w, 28), QColor(20, 20, 28, 210));
    QFont barFont(QStringLiteral("DejaVu Sans"));
    barFont.setPixelSize(13);
    p.setFont(barFont);
    p.setPen(Qt::white);
    p.drawText(QRectF(14, 0, 300, 28), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("Activities"));
    p.drawText(QRectF(0, 0, w, 28), Qt::AlignCenter, QStringLiteral("Mon 10:42"));

    // An editor with colored code.
    const QRectF editor = drawWindow(p, QRectF(0.06 * w, 0.1 * h, 0.4 * w, 0.5 * h),
                                     QStringLiteral("theme.css"), QColor(0x1e1f29));
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setPixelSize(14);
    p.setFont(mono);
    struct Line {
        QString text;
        QColor color;
    };
    const std::array<Line, 9> code{{
        {QStringLiteral(":root {"), QColor(0xf8f8f2)},
        {QStringLiteral("  --brand: #3a7bd5;"), QColor(0x8be9fd)},
        {QStringLiteral("  --accent: #e94f37;"), QColor(0xff79c6)},
        {QStringLiteral("  --sun: #f6c85f;"), QColor(0xf1fa8c)},
        {QStringLiteral("  --leaf: #4caf50;"), QColor(0x50fa7b)},
        {QStringLiteral("}"), QColor(0xf8f8f2)},
        {QString(), QColor()},
        {QStringLiteral(".button { color: var(--brand); }"), QColor(0xbd93f9)},
        {QStringLiteral("/* picked with the loupe */"), QColor(0x6272a4)},
    }};
    for (size_t i = 0; i < code.size(); ++i) {
        p.setPen(code[i].color);
        p.drawText(QPointF(editor.left() + 20, editor.top() + 30 + 22 * qreal(i)), code[i].text);
    }

    // Swatches floating on the wallpaper; the blue one is where the loupe looks.
    const qreal radius = 0.09 * h;
    const std::array<QColor, 4> swatches{QColor(0x3a7bd5), QColor(0xe94f37), QColor(0xf6c85f),
                                         QColor(0x4caf50)};
    p.setPen(QPen(QColor(255, 255, 255, 200), 3));
    for (size_t i = 0; i < swatches.size(); ++i) {
        p.setBrush(swatches[i]);
        p.drawEllipse(QPointF(0.58 * w + qreal(i) * 2.3 * radius, 0.3 * h), radius, radius);
    }

    // A white document reaching to the bottom of the display.
    const QRectF doc = drawWindow(p, QRectF(0.6 * w, 0.56 * h, 0.34 * w, 0.5 * h),
                                  QStringLiteral("Notes"), QColor(0xffffff));
    QFont serif(QStringLiteral("DejaVu Serif"));
    serif.setPixelSize(15);
    p.setFont(serif);
    p.setPen(QColor(0x55, 0x55, 0x5c));
    p.drawText(doc.adjusted(24, 20, -24, 0), Qt::AlignTop | Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("Palette for the spring release: brand blue for links, coral for "
                              "warnings, sun for highlights and leaf for success states."));
    p.end();
}

ScreenSnapshot SyntheticDesktop::snapshot() const {
    ScreenSnapshot s;
    s.displayID = 1;
    s.screenName = QStringLiteral("synthetic");
    s.frame = m_frame;
    s.image = m_image;
    s.image.setDevicePixelRatio(1);
    return s;
}

QPointF SyntheticDesktop::swatchEdge() const {
    const qreal w = m_frame.width();
    const qreal h = m_frame.height();
    const qreal radius = 0.09 * h;
    const qreal diagonal = radius / std::sqrt(2.0);
    return m_frame.topLeft() + QPointF(0.58 * w - diagonal, 0.3 * h + diagonal);
}

QPointF SyntheticDesktop::documentCorner() const {
    return m_frame.topLeft() +
           QPointF(0.6 * m_frame.width() + 60, m_frame.height() - 0.04 * m_frame.height());
}
