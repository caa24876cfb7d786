#pragma once

#include <QKeyCombination>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QAction;
class QWidget;

// The application's standing commands. The desktop has no global menu bar, so instead of a menu
// they are actions with their shortcuts that every window of the application carries: install()
// adds them to a window, where they work while it is active, and no menu bar is shown.
class MainMenu : public QObject {
    Q_OBJECT

public:
    // One of the menus a menu bar would show; separators are separator actions.
    struct Section {
        QString title;
        QList<QAction *> actions;
    };

    // The application menu (untitled): "Settings…" (Ctrl+,) running `openSettings`, only when it
    // is given, then a separator; "Quit " + appName (Ctrl+Q) quitting the application.
    // "Edit": "Undo" (Ctrl+Z), "Redo" (Ctrl+Shift+Z), separator, "Cut" (Ctrl+X), "Copy" (Ctrl+C),
    // "Paste" (Ctrl+V), "Select All" (Ctrl+A), each sent to the focused widget or the nearest of
    // its parents that has the slot of that name.
    // "Window": "Close" (Ctrl+W), closing the active window.
    static std::unique_ptr<MainMenu> make(const QString &appName,
                                          std::function<void()> openSettings = {});

    const QList<Section> &sections() const { return m_sections; }
    // Every command in menu order, without separators.
    QList<QAction *> commands() const;
    // The command with this title, or null.
    QAction *command(const QString &title) const;

    // Adds the commands to `window` (a top-level widget) with window-wide shortcuts. Installing
    // twice on the same window changes nothing.
    void install(QWidget *window) const;

private:
    MainMenu() = default;
    QAction *addCommand(Section &section, const QString &title, QKeyCombination key,
                        std::function<void()> handler);

    QList<Section> m_sections;
};
