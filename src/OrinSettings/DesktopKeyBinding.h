#pragma once

#include <QString>

// Where an application cannot grab a global shortcut itself: how this desktop is told to run a
// command on a key. Compositors configured by file get the line to add, written for the stored
// shortcut; desktops with a settings page get the way there and the command.
struct DesktopKeyBinding {
    // What the Copy button copies: a configuration line, or the command itself.
    QString text;
    // The sentence shown with it.
    QString explanation;

    // `desktop` is XDG_CURRENT_DESKTOP's value (several names, separated by colons); `shortcut`
    // the shortcut as shown ("Ctrl+Alt+C").
    static DesktopKeyBinding forDesktop(const QString &desktop, const QString &appName,
                                        const QString &command, const QString &shortcut);
    // For the session this process runs in.
    static DesktopKeyBinding current(const QString &appName, const QString &command,
                                     const QString &shortcut);
};
