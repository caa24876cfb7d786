#include "OrinHotkey/KeyCap.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal horizontalPadding = 6;
constexpr qreal capMinimumWidth = 24;
constexpr qreal capMinimumHeight = 22;
constexpr qreal cornerRadius = 5;
constexpr qreal fillOpacity = 0.07;
constexpr qreal strokeOpacity = 0.13;
constexpr qreal strokeWidth = 0.5;

} // namespace

KeyCap::KeyCap(const QString &text, QWidget *parent)
    : QWidget(parent)
    , m_text(text) {
    setFont(capFont(font()));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(text);
}

QFont KeyCap::capFont(const QFont &base) {
    QFont font = base;
    font.setPixelSize(12);
    font.setWeight(QFont::Medium);
    return font;
}

QSize KeyCap::sizeHint() const {
    const QFontMetricsF metrics(font());
    const qreal width =
        std::max(capMinimumWidth, metrics.horizontalAdvance(m_text) + 2 * horizontalPadding);
    const qreal height = std::max(capMinimumHeight, metrics.height());
    return QSize(int(std::ceil(width)), int(std::ceil(height)));
}

void KeyCap::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor primary = palette().color(QPalette::WindowText);

    QColor fill = primary;
    fill.setAlphaF(fillOpacity);
    const QRectF bounds = rect();
    QPainterPath shape;
    shape.addRoundedRect(bounds, cornerRadius, cornerRadius);
    painter.fillPath(shape, fill);

    // The stroke lies inside the edge.
    QColor stroke = primary;
    stroke.setAlphaF(strokeOpacity);
    const qreal inset = strokeWidth / 2;
    painter.setPen(QPen(stroke, strokeWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(bounds.adjusted(inset, inset, -inset, -inset), cornerRadius - inset,
                            cornerRadius - inset);

    painter.setPen(primary);
    painter.drawText(bounds, Qt::AlignCenter, m_text);
}

void KeyCap::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}
