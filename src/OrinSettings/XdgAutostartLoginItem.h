#pragma once

#include "OrinSettings/LoginItemService.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// Start at login through the desktop's autostart entries: a file <id>.desktop in
// $XDG_CONFIG_HOME/autostart runs the application when the user logs in, and takes precedence over
// an entry of the same name in any of $XDG_CONFIG_DIRS/autostart. Turning it off removes the
// user's file, or, when a system-wide entry of that name exists, replaces it with one that says
// Hidden=true so the system's entry is masked. The folders are read from the environment at every
// call.
class XdgAutostartLoginItem final : public LoginItemService {
public:
    // `executable` is the absolute path the entry runs.
    XdgAutostartLoginItem(QString appId, QString name, QString executable);

    // This process: named after QGuiApplication::desktopFileName() (else the application name in
    // lower case), running QCoreApplication::applicationFilePath().
    static XdgAutostartLoginItem forApplication();

    QString appId() const { return m_appId; }
    QString executable() const { return m_executable; }

    // $XDG_CONFIG_HOME/autostart/<id>.desktop, ~/.config when the variable is unset or relative.
    QString userEntryPath() const;
    // <dir>/autostart/<id>.desktop for each of $XDG_CONFIG_DIRS (/etc/xdg when unset), in order.
    QStringList systemEntryPaths() const;

    // The entry that counts (the user's, else the first system-wide one) exists and is neither
    // Hidden nor switched off with X-GNOME-Autostart-enabled=false.
    bool isEnabled() const override;
    // Renames the user's entry of an earlier id to this one, so a user who turned the item on
    // under the old name keeps it; an entry already under this id wins and the old one goes.
    // True when the old entry was there.
    bool adoptUserEntry(const QString &oldAppId) const;
    std::optional<LoginItemError> setEnabled(bool enabled) override;

    // The Exec value running `program` with no arguments: quoted when it holds reserved
    // characters, with % doubled and the value escaped as a desktop-entry string.
    static QString execValue(const QString &program);
    // The keys of the [Desktop Entry] group of a desktop file, values unescaped; nothing when the
    // file cannot be read.
    static std::optional<QHash<QString, QString>> readEntry(const QString &path);

private:
    std::optional<LoginItemError> writeUserEntry(const QByteArray &contents) const;
    QByteArray enabledEntry() const;
    QByteArray hiddenEntry() const;

    QString m_appId;
    QString m_name;
    QString m_executable;
};
