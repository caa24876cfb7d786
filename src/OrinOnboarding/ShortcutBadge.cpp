#include "OrinOnboarding/ShortcutBadge.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

ShortcutBadge::ShortcutBadge(const QString &text, QWidget *parent)
    : QWidget(parent)
    , m_text(text) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(text);
}

QFont ShortcutBadge::badgeFont() const {
    QFont badge = font();
    badge.setPixelSize(fontPixelSize);
    badge.setWeight(QFont::DemiBold);
    return badge;
}

QSize ShortcutBadge::sizeHint() const {
    const QFontMetrics metrics(badgeFont());
    return {metrics.horizontalAdvance(m_text) + 2 * horizontalPadding,
            metrics.height() + 2 * verticalPadding};
}

void ShortcutBadge::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = palette().color(QPalette::WindowText);
    fill.setAlphaF(fill.alphaF() * fillOpacity);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(tile, fill);
    painter.setFont(badgeFont());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter, m_text);
}
