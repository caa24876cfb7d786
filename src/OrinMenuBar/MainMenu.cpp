#include "OrinMenuBar/MainMenu.h"

#include "OrinMenuBar/ClosureMenuItem.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMetaObject>
#include <QWidget>

namespace {

// What a first responder does on the other desktop: the focused widget handles the command, or
// the nearest parent within its window that can.
void sendToFocus(const char *slot) {
    const QByteArray signature = QByteArray(slot) + "()";
    for (QWidget *widget = QApplication::focusWidget(); widget; widget = widget->parentWidget()) {
        if (widget->metaObject()->indexOfMethod(signature.constData()) >= 0) {
            QMetaObject::invokeMethod(widget, slot);
            return;
        }
        if (widget->isWindow())
            return;
    }
}

} // namespace

QAction *MainMenu::addCommand(Section &section, const QString &title, QKeyCombination key,
                              std::function<void()> handler) {
    auto *action = new ClosureMenuItem(title, std::move(handler), this);
    action->setShortcut(QKeySequence(key));
    action->setShortcutContext(Qt::WindowShortcut);
    section.actions.append(action);
    return action;
}

std::unique_ptr<MainMenu> MainMenu::make(const QString &appName,
                                         std::function<void()> openSettings) {
    std::unique_ptr<MainMenu> menu(new MainMenu);
    auto separator = [&menu](Section &section) {
        auto *action = new QAction(menu.get());
        action->setSeparator(true);
        section.actions.append(action);
    };

    Section application;
    if (openSettings) {
        menu->addCommand(application, QStringLiteral("Settings\u2026"), Qt::CTRL | Qt::Key_Comma,
                         std::move(openSettings));
        separator(application);
    }
    menu->addCommand(application, QStringLiteral("Quit ") + appName, Qt::CTRL | Qt::Key_Q,
                     [] { QCoreApplication::quit(); });

    Section edit{QStringLiteral("Edit"), {}};
    menu->addCommand(edit, QStringLiteral("Undo"), Qt::CTRL | Qt::Key_Z,
                     [] { sendToFocus("undo"); });
    menu->addCommand(edit, QStringLiteral("Redo"), Qt::CTRL | Qt::SHIFT | Qt::Key_Z,
                     [] { sendToFocus("redo"); });
    separator(edit);
    menu->addCommand(edit, QStringLiteral("Cut"), Qt::CTRL | Qt::Key_X, [] { sendToFocus("cut"); });
    menu->addCommand(edit, QStringLiteral("Copy"), Qt::CTRL | Qt::Key_C,
                     [] { sendToFocus("copy"); });
    menu->addCommand(edit, QStringLiteral("Paste"), Qt::CTRL | Qt::Key_V,
                     [] { sendToFocus("paste"); });
    menu->addCommand(edit, QStringLiteral("Select All"), Qt::CTRL | Qt::Key_A,
                     [] { sendToFocus("selectAll"); });

    Section window{QStringLiteral("Window"), {}};
    menu->addCommand(window, QStringLiteral("Close"), Qt::CTRL | Qt::Key_W, [] {
        if (QWidget *active = QApplication::activeWindow())
            active->close();
    });

    menu->m_sections = {application, edit, window};
    return menu;
}

QList<QAction *> MainMenu::commands() const {
    QList<QAction *> result;
    for (const Section &section : m_sections) {
        for (QAction *action : section.actions) {
            if (!action->isSeparator())
                result.append(action);
        }
    }
    return result;
}

QAction *MainMenu::command(const QString &title) const {
    for (QAction *action : commands()) {
        if (action->text() == title)
            return action;
    }
    return nullptr;
}

void MainMenu::install(QWidget *window) const {
    window->addActions(commands());
}
