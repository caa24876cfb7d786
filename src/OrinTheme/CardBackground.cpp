#include "OrinTheme/CardBackground.h"

#include <QPainter>
#include <QPainterPath>

CardBackground::CardBackground(qreal cornerRadius, QWidget *parent)
    : QWidget(parent)
    , m_cornerRadius(cornerRadius) {
}

void CardBackground::setContent(QWidget *content) {
    if (m_content == content)
        return;
    if (m_content && m_content->parentWidget() == this)
        m_content->setParent(nullptr);
    m_content = content;
    if (!content)
        return;
    content->setParent(this);
    content->setGeometry(rect());
    content->show();
    updateGeometry();
}

void CardBackground::paint(QPainter &painter, const QRectF &rect, qreal cornerRadius,
                           const QColor &primary) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = qMin(cornerRadius, qMin(rect.width(), rect.height()) / 2);
    QPainterPath shape;
    shape.addRoundedRect(rect, radius, radius);
    QColor fill = primary;
    fill.setAlphaF(float(primary.alphaF() * fillOpacity));
    painter.fillPath(shape, fill);
    QColor border = primary;
    border.setAlphaF(float(primary.alphaF() * borderOpacity));
    // The stroke sits inside the card so it is not cut at the widget's edge.
    const qreal inset = borderWidth / 2;
    QPainterPath edge;
    edge.addRoundedRect(rect.adjusted(inset, inset, -inset, -inset), qMax(0.0, radius - inset),
                        qMax(0.0, radius - inset));
    painter.strokePath(edge, QPen(border, borderWidth));
    painter.restore();
}

void CardBackground::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    paint(painter, QRectF(rect()), m_cornerRadius, palette().color(QPalette::WindowText));
}

void CardBackground::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (m_content)
        m_content->setGeometry(rect());
}

QSize CardBackground::sizeHint() const {
    return m_content ? m_content->sizeHint() : QWidget::sizeHint();
}

QSize CardBackground::minimumSizeHint() const {
    return m_content ? m_content->minimumSizeHint() : QWidget::minimumSizeHint();
}
