#include "Chromet/Contrast/ContrastSample.h"

#include "Chromet/Contrast/ContrastStyle.h"

#include <QPainter>
#include <QPainterPath>

ContrastSample::ContrastSample(QWidget *parent)
    : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::MinimumExpanding);
    setMinimumHeight(minimumHeight);
}

void ContrastSample::setColors(const PickedColor &text, const PickedColor &background) {
    if (text == m_text && background == m_background)
        return;
    m_text = text;
    m_background = background;
    update();
}

void ContrastSample::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    painter.fillPath(shape, ContrastStyle::displayColor(m_background.p3));
    painter.strokePath(shape, QPen(ContrastStyle::outline(palette()), 1));
    painter.setFont(ContrastStyle::font(textSize, QFont::DemiBold));
    painter.setPen(ContrastStyle::displayColor(m_text.p3));
    painter.drawText(rect(), Qt::AlignCenter, text());
}
