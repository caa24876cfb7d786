#include "Chromet/Contrast/ContrastColorChooser.h"

#include "Chromet/Color/ColorMath.h"
#include "Chromet/Contrast/ContrastStyle.h"

#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace {

constexpr int captionGap = 4;
constexpr int swatchGap = 8;
constexpr int padding = 2;

} // namespace

ContrastColorChooser::ContrastColorChooser(const QString &role, bool lowercaseHex, QWidget *parent)
    : QToolButton(parent)
    , m_role(role)
    , m_lowercaseHex(lowercaseHex) {
    setAccessibleName(role + QStringLiteral(" color"));
    setAutoRaise(true);
    setPopupMode(QToolButton::InstantPopup);
    setFocusPolicy(Qt::StrongFocus);
    m_menu = new QMenu(this);
    // Filled on opening, so it lists the history as it is at that moment.
    connect(m_menu, &QMenu::aboutToShow, this, &ContrastColorChooser::rebuildMenu);
    setMenu(m_menu);
}

QString ContrastColorChooser::hexText() const {
    return hexString(m_current.srgb, m_lowercaseHex);
}

void ContrastColorChooser::setColors(const PickedColor &current,
                                     const QList<PickedColor> &history) {
    m_current = current;
    m_history = history;
    setAccessibleDescription(hexText());
    update();
}

QList<PickedColor> ContrastColorChooser::menuColors() const {
    QList<PickedColor> colors;
    if (!m_history.contains(m_current))
        colors.append(m_current);
    colors.append(m_history);
    return colors;
}

void ContrastColorChooser::rebuildMenu() {
    m_menu->clear();
    for (const PickedColor &color : menuColors()) {
        QAction *action = m_menu->addAction(hexString(color.srgb, m_lowercaseHex));
        // The chooser is the connection's context: no call once it is gone.
        connect(action, &QAction::triggered, this, [this, color] {
            if (m_choose)
                m_choose(color);
        });
    }
}

QSize ContrastColorChooser::sizeHint() const {
    const QFontMetrics caption(ContrastStyle::font(ContrastStyle::captionSize));
    const QFontMetrics hex(ContrastStyle::monospacedFont(ContrastStyle::bodySize));
    const int width = qMax(caption.horizontalAdvance(m_role),
                           swatchSize.width() + swatchGap + hex.horizontalAdvance(hexText()));
    const int height = caption.height() + captionGap + qMax(swatchSize.height(), hex.height());
    return QSize(width, height) + QSize(2 * padding, 2 * padding);
}

void ContrastColorChooser::paintEvent(QPaintEvent *) {
    QStylePainter painter(this);
    // The button's own frame shows only as hover and press feedback.
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    option.features &= ~QStyleOptionToolButton::HasMenu;
    option.subControls &= ~QStyle::SC_ToolButtonMenu;
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    painter.setRenderHint(QPainter::Antialiasing);
    const QRect area = rect().adjusted(padding, padding, -padding, -padding);
    const QFont captionFont = ContrastStyle::font(ContrastStyle::captionSize);
    const QFontMetrics caption(captionFont);
    painter.setFont(captionFont);
    painter.setPen(ContrastStyle::secondary(palette()));
    painter.drawText(QRect(area.left(), area.top(), area.width(), caption.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, m_role);

    const QFont hexFont = ContrastStyle::monospacedFont(ContrastStyle::bodySize);
    const QFontMetrics hex(hexFont);
    const int rowTop = area.top() + caption.height() + captionGap;
    const int rowHeight = qMax(swatchSize.height(), hex.height());
    const QRectF swatch(area.left(), rowTop + (rowHeight - swatchSize.height()) / 2.0,
                        swatchSize.width(), swatchSize.height());
    QPainterPath shape;
    shape.addRoundedRect(swatch.adjusted(0.5, 0.5, -0.5, -0.5), swatchRadius, swatchRadius);
    painter.fillPath(shape, ContrastStyle::displayColor(m_current.p3));
    painter.strokePath(shape, QPen(ContrastStyle::outline(palette()), 1));

    painter.setFont(hexFont);
    painter.setPen(palette().color(QPalette::WindowText));
    const int textLeft = area.left() + swatchSize.width() + swatchGap;
    painter.drawText(QRect(textLeft, rowTop, area.right() - textLeft + 1, rowHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, hexText());
}
