#include "Chromet/Contrast/ContrastBadge.h"

#include "Chromet/Contrast/ContrastStyle.h"
#include "OrinTheme/Symbols.h"

#include <QPainter>
#include <QPainterPath>

ContrastBadge::ContrastBadge(QWidget *parent)
    : QWidget(parent) {
    // The row shares its width equally, whatever each label needs.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void ContrastBadge::setLevel(const QString &label, bool passes) {
    if (label == m_label && passes == m_passes)
        return;
    m_label = label;
    m_passes = passes;
    setAccessibleName(label + (passes ? QStringLiteral(" passes") : QStringLiteral(" fails")));
    updateGeometry();
    update();
}

QString ContrastBadge::symbolName() const {
    return m_passes ? QStringLiteral("checkmark") : QStringLiteral("xmark");
}

QSize ContrastBadge::sizeHint() const {
    const QFontMetrics metrics(ContrastStyle::font(labelSize, QFont::Medium));
    const int width = symbolSize + symbolGap + metrics.horizontalAdvance(m_label);
    const int height = qMax(symbolSize, metrics.height());
    return QSize(width + 2 * horizontalPadding, height + 2 * verticalPadding);
}

void ContrastBadge::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor tone =
        m_passes ? ContrastStyle::passGreen(palette()) : ContrastStyle::failRed(palette());
    QColor fill = tone;
    fill.setAlphaF(float(fillOpacity));
    QPainterPath capsule;
    const QRectF bounds(rect());
    capsule.addRoundedRect(bounds, bounds.height() / 2, bounds.height() / 2);
    painter.fillPath(capsule, fill);

    // Symbol and label centred together in the capsule.
    const QFont labelFont = ContrastStyle::font(labelSize, QFont::Medium);
    const QFontMetrics metrics(labelFont);
    const int contentWidth = symbolSize + symbolGap + metrics.horizontalAdvance(m_label);
    const int left = (width() - contentWidth) / 2;
    const QPixmap symbol =
        Symbols::pixmap(symbolName(), QSize(symbolSize, symbolSize), tone, devicePixelRatioF());
    painter.drawPixmap(QPointF(left, (height() - symbolSize) / 2.0), symbol);
    painter.setFont(labelFont);
    painter.setPen(tone);
    painter.drawText(QRect(left + symbolSize + symbolGap, 0, width(), height()),
                     Qt::AlignLeft | Qt::AlignVCenter, m_label);
}
