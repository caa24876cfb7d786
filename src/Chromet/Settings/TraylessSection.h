#pragma once

#include "OrinSettings/SettingsSection.h"

#include <functional>

class Preferences;
class QAbstractButton;
class SettingsRow;

// The first section of the General page on a desktop that shows no tray: the settings window is
// then Chromet's way in and out, so it offers the pick (with the shortcut that does the same) and
// Quit, and says how to get a tray on this desktop.
class TraylessSection : public SettingsSection {
    Q_OBJECT

public:
    struct Actions {
        std::function<void()> pick;
        std::function<void()> quit;
    };

    // `prefs` must outlive the section; the shortcut shown follows its changes.
    // Where `canGrabShortcuts` is false the pick row points to the desktop's key bindings.
    TraylessSection(Preferences &prefs, Actions actions, bool canGrabShortcuts = true,
                    QWidget *parent = nullptr);

    // How to get a tray on the desktop named by XDG_CURRENT_DESKTOP (a colon-separated list).
    static QString trayHelp(const QString &currentDesktop);

    QAbstractButton *pickButton() const { return m_pick; }
    QAbstractButton *quitButton() const { return m_quit; }
    SettingsRow *pickRow() const { return m_pickRow; }

private:
    QAbstractButton *m_pick = nullptr;
    QAbstractButton *m_quit = nullptr;
    SettingsRow *m_pickRow = nullptr;
};
