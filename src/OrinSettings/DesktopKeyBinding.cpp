#include "OrinSettings/DesktopKeyBinding.h"

#include <QStringList>

namespace {

// "Ctrl+Alt+C" as its parts; a "+" key stays itself.
QStringList caps(const QString &shortcut) {
    QStringList parts = shortcut.split(QLatin1Char('+'));
    if (shortcut.endsWith(QLatin1String("++"))) {
        parts.removeLast();
        parts.last() = QStringLiteral("plus");
    }
    parts.removeAll(QString());
    return parts;
}

// The key as XKB names its symbol: letters in lower case, a few names spelled otherwise.
QString keysym(const QString &key) {
    if (key.size() == 1 && key.at(0).isLetter())
        return key.toLower();
    if (key == QLatin1String("Space"))
        return QStringLiteral("space");
    if (key == QLatin1String("Enter"))
        return QStringLiteral("Return");
    return key;
}

} // namespace

DesktopKeyBinding DesktopKeyBinding::forDesktop(const QString &desktop, const QString &appName,
                                                const QString &command, const QString &shortcut) {
    const QStringList names = desktop.toLower().split(QLatin1Char(':'));
    const QStringList parts = caps(shortcut);
    const QString key = parts.isEmpty() ? QString() : keysym(parts.last());
    const QStringList modifiers = parts.mid(0, parts.size() - 1);
    const QString cannot =
        appName + QStringLiteral(" can't set a global shortcut in this session. ");

    if (names.contains(QLatin1String("sway")) && !key.isEmpty()) {
        QStringList sway;
        for (const QString &m : modifiers)
            sway << (m == QLatin1String("Super") ? QStringLiteral("Mod4") : m);
        sway << key;
        return {QStringLiteral("bindsym %1 exec %2").arg(sway.join(QLatin1Char('+')), command),
                cannot + QStringLiteral("Add this line to your sway configuration "
                                        "(~/.config/sway/config), then reload sway.")};
    }
    if (names.contains(QLatin1String("hyprland")) && !key.isEmpty()) {
        return {QStringLiteral("bind = %1, %2, exec, %3")
                    .arg(modifiers.join(QLatin1Char(' ')).toUpper(), key.toUpper(), command),
                cannot + QStringLiteral("Add this line to your Hyprland configuration "
                                        "(~/.config/hypr/hyprland.conf).")};
    }
    if (names.contains(QLatin1String("gnome")))
        return {command, cannot + QStringLiteral("In Settings → Keyboard → Keyboard Shortcuts → "
                                                 "Custom Shortcuts, add one that runs this "
                                                 "command.")};
    if (names.contains(QLatin1String("kde")))
        return {command, cannot + QStringLiteral("In System Settings → Keyboard → Shortcuts, add "
                                                 "a command that runs this.")};
    return {command, cannot + QStringLiteral("In your desktop's keyboard settings, bind a key to "
                                             "this command.")};
}

DesktopKeyBinding DesktopKeyBinding::current(const QString &appName, const QString &command,
                                             const QString &shortcut) {
    QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    // sway started by hand sets no desktop name, but always its socket.
    if (desktop.isEmpty() && qEnvironmentVariableIsSet("SWAYSOCK"))
        desktop = QStringLiteral("sway");
    return forDesktop(desktop, appName, command, shortcut);
}
