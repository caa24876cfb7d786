#include "Chromet/Onboarding/ShortcutStep.h"

#include "Chromet/Onboarding/StepWidgets.h"
#include "OrinOnboarding/ShortcutBadge.h"
#include "OrinSettings/CommandBinding.h"
#include "OrinSettings/DesktopKeyBinding.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace StepWidgets;

namespace {

struct Control {
    const char *symbol;
    const char *text;
};

constexpr Control controls[] = {
    {"cursorarrow.click", "Click, Return or Space picks the color under the loupe."},
    {"arrow.up.and.down.and.arrow.left.and.right",
     "Arrow keys move one pixel; hold Shift for ten."},
    {"escape", "Esc or a right-click cancels."},
    {"menubar.arrow.up.rectangle",
     "Recent colors, every format and your palettes are in the tray menu."},
};

// One control: its symbol in an 18-pixel column, level with the first line of its text.
QWidget *controlRow(const Control &control, QWidget *parent) {
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);

    QLabel *label = text(QString::fromUtf8(control.text), TextStyle::body, row);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    const int lineHeight = QFontMetrics(label->font()).height();

    auto *symbolColumn = new QWidget(row);
    symbolColumn->setFixedSize(18, lineHeight);
    QLabel *glyph = symbol(QString::fromUtf8(control.symbol), qMin(15, lineHeight),
                           accentColor(parent), symbolColumn);
    glyph->move((18 - glyph->width()) / 2, (lineHeight - glyph->height()) / 2);

    layout->addWidget(symbolColumn, 0, Qt::AlignTop);
    layout->addWidget(label, 1);
    return row;
}

} // namespace

ShortcutStep::ShortcutStep(const QString &hotKey, bool canGrabShortcuts, QWidget *parent)
    : QWidget(parent)
    , m_hotKey(hotKey) {
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    column->addStretch(1);
    if (canGrabShortcuts) {
        addCentered(column, text(QStringLiteral("Press it anywhere"), TextStyle::title, this));
        addCentered(column, new ShortcutBadge(hotKey, this));
    } else {
        addCentered(column, text(QStringLiteral("Bind a key to pick"), TextStyle::title, this));
        const DesktopKeyBinding binding = DesktopKeyBinding::current(
            QStringLiteral("Chromet"), QStringLiteral("chromet pick"), hotKey);
        addCentered(column, text(binding.explanation, TextStyle::body, this, true, 400));
        addCentered(column, new CommandBinding(binding.text, this));
    }

    auto *list = new QWidget(this);
    list->setObjectName(QStringLiteral("controls"));
    list->setMaximumWidth(400);
    auto *rows = new QVBoxLayout(list);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(10);
    for (const Control &control : controls)
        rows->addWidget(controlRow(control, list));
    addCentered(column, list);
    column->addStretch(1);
}
