#include "OrinMenuBar/ClosureMenuItem.h"

#include <QMenu>

ClosureMenuItem::ClosureMenuItem(const QString &title, std::function<void()> handler,
                                 QObject *parent)
    : QAction(title, parent)
    , handler(std::move(handler)) {
    connect(this, &QAction::triggered, this, &ClosureMenuItem::fire);
}

void ClosureMenuItem::fire() {
    const std::function<void()> run = handler;
    if (run)
        run();
}

ClosureMenuItem *addItem(QMenu *menu, const QString &title, const QKeySequence &keyEquivalent,
                         std::function<void()> action) {
    auto *item = new ClosureMenuItem(title, std::move(action), menu);
    if (!keyEquivalent.isEmpty()) {
        item->setShortcut(keyEquivalent);
        // A tray menu counts as a context menu, where some styles hide shortcuts by default.
        item->setShortcutVisibleInContextMenu(true);
    }
    menu->addAction(item);
    return item;
}
