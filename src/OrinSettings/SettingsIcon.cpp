#include "OrinSettings/SettingsIcon.h"

#include "OrinTheme/Symbols.h"

#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

void draw(QPainter &painter, const QRectF &square, const QString &symbol, const QColor &tint,
          qreal dpr) {
    const qreal size = square.width();
    const qreal radius = 0.26 * size;
    QPainterPath plate;
    plate.addRoundedRect(square, radius, radius);
    QLinearGradient gradient(square.topLeft(), square.bottomLeft());
    gradient.setColorAt(0, tint.lighter(118));
    gradient.setColorAt(1, tint.darker(108));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(plate, gradient);

    const qreal glyph = 0.55 * size;
    const int glyphPixels = int(std::lround(glyph));
    const QPixmap symbolPixmap =
        Symbols::pixmap(symbol, QSize(glyphPixels, glyphPixels), Qt::white, dpr);
    if (symbolPixmap.isNull())
        return;
    const QRectF target(square.center().x() - glyphPixels / 2.0,
                        square.center().y() - glyphPixels / 2.0, glyphPixels, glyphPixels);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, symbolPixmap, QRectF(symbolPixmap.rect()));
}

class SettingsIconEngine final : public QIconEngine {
public:
    SettingsIconEngine(QString symbol, QColor tint)
        : m_symbol(std::move(symbol))
        , m_tint(std::move(tint)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override {
        const qreal side = std::min(rect.width(), rect.height());
        const QRectF square(rect.x() + (rect.width() - side) / 2,
                            rect.y() + (rect.height() - side) / 2, side, side);
        painter->save();
        draw(*painter, square, m_symbol, m_tint, painter->device()->devicePixelRatioF());
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize &size, QIcon::Mode, QIcon::State, qreal scale) override {
        return SettingsIcon::pixmap(m_symbol, m_tint, std::min(size.width(), size.height()), scale);
    }

    QIconEngine *clone() const override { return new SettingsIconEngine(m_symbol, m_tint); }

private:
    QString m_symbol;
    QColor m_tint;
};

} // namespace

SettingsIcon::SettingsIcon(const QString &symbol, const QColor &tint, int size, QWidget *parent)
    : QWidget(parent)
    , m_symbol(symbol)
    , m_tint(tint)
    , m_size(size) {
    setFixedSize(size, size);
}

QPixmap SettingsIcon::pixmap(const QString &symbol, const QColor &tint, int size, qreal dpr) {
    if (size <= 0)
        return {};
    const int pixels = int(std::ceil(size * dpr));
    QPixmap pixmap(pixels, pixels);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    draw(painter, QRectF(0, 0, size, size), symbol, tint, dpr);
    return pixmap;
}

QIcon SettingsIcon::icon(const QString &symbol, const QColor &tint) {
    return QIcon(new SettingsIconEngine(symbol, tint));
}

void SettingsIcon::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    draw(painter, QRectF(0, 0, m_size, m_size), m_symbol, m_tint, devicePixelRatioF());
}
