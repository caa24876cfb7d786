#pragma once

#include "OrinHotkey/HotKeyBackend.h"

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QString>

class KeyboardMap;
class QDBusMessage;

// The desktop portal's global shortcuts (GNOME, KDE and other Wayland desktops): one session of
// this process binds the one shortcut of the application, under a fixed id. The desktop may ask
// the user and may assign another trigger than the preferred one; triggerDescription() tells
// which. Once the portal refuses or fails, canGrabShortcuts() turns false and every later
// registration is refused, so that no refusal is blamed on another application.
class PortalHotKeyBackend final : public QObject, public HotKeyBackend {
    Q_OBJECT

public:
    static inline const QString shortcutId = QStringLiteral("pick-color");

    // Null when the bus's portal has no GlobalShortcuts interface.
    static std::unique_ptr<PortalHotKeyBackend> create(const QDBusConnection &bus);

    // The combination in the portal's trigger syntax, modifiers first: "CTRL+ALT+c",
    // "SHIFT+LOGO+F5"; empty when the key has no symbol name in `map`.
    static QString trigger(const HotKeyCombo &combo, const KeyboardMap &map);

    void installHandler(Handler handler) override;
    void registerHotKey(const HotKeyCombo &combo, HotKeyIdentifier identifier,
                        Answer answer) override;
    void unregisterHotKey(Ref ref) override;
    bool canGrabShortcuts() const override { return m_answering; }
    QString triggerDescription() const override { return m_triggerDescription; }

private Q_SLOTS:
    void activated(const QDBusMessage &message);
    void shortcutsChanged(const QDBusMessage &message);

private:
    explicit PortalHotKeyBackend(const QDBusConnection &bus);
    // Runs `next` once the session exists (true) or could not be made (false).
    void withSession(std::function<void(bool)> next);
    void bind(const QString &trigger, HotKeyIdentifier identifier, Answer answer);
    void refuse(const QString &why);
    // Takes the desktop's description of our shortcut from a list of them.
    void readAssigned(const QVariant &shortcuts);

    QDBusConnection m_bus;
    Handler m_handler;
    QString m_session;
    QList<std::function<void(bool)>> m_sessionWaiters;
    bool m_answering = true;
    // The registration in force and the identifier its presses report.
    Ref m_current = 0;
    Ref m_nextRef = 1;
    HotKeyIdentifier m_identifier;
    QString m_triggerDescription;
};
