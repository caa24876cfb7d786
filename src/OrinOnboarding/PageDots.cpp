#include "OrinOnboarding/PageDots.h"

#include <QPainter>

PageDots::PageDots(QWidget *parent)
    : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PageDots::setCount(int count) {
    if (count == m_count)
        return;
    m_count = count;
    updateGeometry();
    update();
}

void PageDots::setCurrent(int index) {
    if (index == m_current)
        return;
    m_current = index;
    update();
}

QSize PageDots::sizeHint() const {
    return {m_count > 0 ? m_count * dotSize + (m_count - 1) * spacing : 0, dotSize};
}

void PageDots::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QColor other = palette().color(QPalette::WindowText);
    // Secondary text is the text colour at half strength; the other dots show it at 0.3.
    other.setAlphaF(other.alphaF() * 0.5f * 0.3f);
    const int top = (height() - dotSize) / 2;
    for (int i = 0; i < m_count; ++i) {
        painter.setBrush(i == m_current ? palette().color(QPalette::Highlight) : other);
        painter.drawEllipse(QRectF(i * (dotSize + spacing), top, dotSize, dotSize));
    }
}
