#include "Chromet/App/MenuSwatch.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace MenuSwatch {

namespace {

constexpr double inset = 0.5;
constexpr double cornerRadius = 3;
constexpr double outlineWidth = 1;
constexpr double outlineOpacity = 0.2;

double channel(double value) {
    return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
}

// Draws on demand, so the swatch is sharp at every size and device pixel ratio the menu asks
// for, and nothing is rendered for items never shown.
class SwatchIconEngine : public QIconEngine {
public:
    explicit SwatchIconEngine(const RGB &srgb)
        : m_srgb(srgb) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override {
        MenuSwatch::paint(painter, rect, m_srgb);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // `size` is in device pixels.
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode, QIcon::State, qreal scale) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        pixmap.setDevicePixelRatio(scale);
        QPainter painter(&pixmap);
        MenuSwatch::paint(&painter, QRectF(QPointF(0, 0), QSizeF(size) / scale), m_srgb);
        return pixmap;
    }

    QIconEngine *clone() const override { return new SwatchIconEngine(m_srgb); }
    QString key() const override { return QStringLiteral("ChrometSwatch"); }

private:
    RGB m_srgb;
};

} // namespace

void paint(QPainter *painter, const QRectF &rect, const RGB &srgb) {
    const double scale = std::min({1.0, rect.width() / side, rect.height() / side});
    const double length = side * scale;
    const QRectF box(rect.center() - QPointF(length, length) / 2, QSizeF(length, length));
    const QRectF shape = box.adjusted(inset * scale, inset * scale, -inset * scale, -inset * scale);

    QPainterPath path;
    path.addRoundedRect(shape, cornerRadius * scale, cornerRadius * scale);
    QColor outline(Qt::black);
    outline.setAlphaF(outlineOpacity);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(path, QColor::fromRgbF(channel(srgb.r), channel(srgb.g), channel(srgb.b)));
    painter->strokePath(path, QPen(outline, outlineWidth * scale));
    painter->restore();
}

QImage render(const RGB &srgb, qreal devicePixelRatio) {
    const int pixels = qRound(side * devicePixelRatio);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&image);
    paint(&painter, QRectF(0, 0, side, side), srgb);
    return image;
}

QIcon icon(const RGB &srgb) {
    return QIcon(new SwatchIconEngine(srgb));
}

} // namespace MenuSwatch
