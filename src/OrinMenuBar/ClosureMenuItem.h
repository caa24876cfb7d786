#pragma once

#include <QAction>
#include <QKeySequence>
#include <QString>

#include <functional>

class QMenu;

// A menu item that runs a closure when triggered, so menus can be built from values and closures
// instead of receiver objects and slots.
class ClosureMenuItem : public QAction {
    Q_OBJECT

public:
    ClosureMenuItem(const QString &title, std::function<void()> handler, QObject *parent = nullptr);

    std::function<void()> handler;

public Q_SLOTS:
    // Runs `handler` (nothing when it is empty). The handler may rebuild the menu that holds this
    // item, so it runs from a copy that outlives the item.
    void fire();
};

// Creates a ClosureMenuItem owned by `menu` with the title (Qt text: "&" marks a mnemonic, "&&" is
// a literal ampersand), the key equivalent shown beside it (none when empty) and the action, adds
// it to the end of the menu and returns it.
ClosureMenuItem *addItem(QMenu *menu, const QString &title, const QKeySequence &keyEquivalent,
                         std::function<void()> action);
