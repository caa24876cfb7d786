#include "OrinHotkey/Portal/PortalHotKeyBackend.h"

#include "OrinHotkey/HotKeyLogging.h"
#include "OrinHotkey/KeyboardLayout.h"
#include "OrinHotkey/Portal/PortalShortcut.h"
#include "OrinPortal/Portal.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>

namespace {

const QString interface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
// The same every run, so that desktops which remember sessions (KDE) know us again.
const QString sessionToken = QStringLiteral("chromet");

// A session handle arrives as a string or an object path, depending on the portal.
QString pathOf(const QVariant &value) {
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

} // namespace

std::unique_ptr<PortalHotKeyBackend> PortalHotKeyBackend::create(const QDBusConnection &bus) {
    if (Portal::interfaceVersion(bus, interface) == 0)
        return nullptr;
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    return std::unique_ptr<PortalHotKeyBackend>(new PortalHotKeyBackend(bus));
}

PortalHotKeyBackend::PortalHotKeyBackend(const QDBusConnection &bus)
    : m_bus(bus) {
    m_bus.connect(Portal::service, Portal::path, interface, QStringLiteral("Activated"), this,
                  SLOT(activated(QDBusMessage)));
    m_bus.connect(Portal::service, Portal::path, interface, QStringLiteral("ShortcutsChanged"),
                  this, SLOT(shortcutsChanged(QDBusMessage)));
}

QString PortalHotKeyBackend::trigger(const HotKeyCombo &combo, const KeyboardMap &map) {
    const std::optional<QString> key = map.keysymName(combo.keyCode);
    if (!key)
        return QString();
    QStringList parts;
    if (combo.modifiers & HotKeyCombo::controlKey)
        parts << QStringLiteral("CTRL");
    if (combo.modifiers & HotKeyCombo::optionKey)
        parts << QStringLiteral("ALT");
    if (combo.modifiers & HotKeyCombo::shiftKey)
        parts << QStringLiteral("SHIFT");
    if (combo.modifiers & HotKeyCombo::cmdKey)
        parts << QStringLiteral("LOGO");
    return (parts << *key).join(QLatin1Char('+'));
}

void PortalHotKeyBackend::installHandler(Handler handler) {
    m_handler = std::move(handler);
}

void PortalHotKeyBackend::registerHotKey(const HotKeyCombo &combo, HotKeyIdentifier identifier,
                                         Answer answer) {
    const QString preferred = trigger(combo, *KeyboardLayout::current());
    if (!m_answering || preferred.isEmpty()) {
        answer(std::nullopt);
        return;
    }
    withSession([this, preferred, identifier, answer = std::move(answer)](bool ready) {
        if (ready)
            bind(preferred, identifier, answer);
        else
            answer(std::nullopt);
    });
}

void PortalHotKeyBackend::withSession(std::function<void(bool)> next) {
    if (!m_session.isEmpty()) {
        next(true);
        return;
    }
    m_sessionWaiters.append(std::move(next));
    if (m_sessionWaiters.size() > 1)
        return;
    PortalRequest::call(m_bus, interface, QStringLiteral("CreateSession"), {},
                        {{QStringLiteral("session_handle_token"), sessionToken}}, this,
                        [this](uint code, const QVariantMap &results) {
                            m_session = pathOf(results.value(QStringLiteral("session_handle")));
                            if (code != PortalRequest::Success || m_session.isEmpty()) {
                                m_session.clear();
                                refuse(
                                    QStringLiteral("no shortcut session (response %1)").arg(code));
                            }
                            const auto waiters = std::exchange(m_sessionWaiters, {});
                            for (const auto &waiter : waiters)
                                waiter(!m_session.isEmpty());
                        });
}

void PortalHotKeyBackend::bind(const QString &trigger, HotKeyIdentifier identifier, Answer answer) {
    const QList<PortalShortcut> shortcuts{
        {shortcutId,
         {{QStringLiteral("description"), QStringLiteral("Pick Color")},
          {QStringLiteral("preferred_trigger"), trigger}}}};
    // No parent window: the tray application may have none showing.
    PortalRequest::call(
        m_bus, interface, QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts),
         QString()},
        {}, this, [this, identifier, answer](uint code, const QVariantMap &results) {
            if (code != PortalRequest::Success) {
                refuse(QStringLiteral("the shortcut was not bound (response %1)").arg(code));
                answer(std::nullopt);
                return;
            }
            readAssigned(results.value(QStringLiteral("shortcuts")));
            m_identifier = identifier;
            m_current = m_nextRef++;
            answer(m_current);
        });
}

void PortalHotKeyBackend::unregisterHotKey(Ref ref) {
    // A replaced registration lives on in its successor's binding of the same id.
    if (ref != m_current || m_session.isEmpty())
        return;
    // Closing the session is the portal's one way to let a shortcut go.
    m_bus.call(QDBusMessage::createMethodCall(Portal::service, m_session,
                                              QStringLiteral("org.freedesktop.portal.Session"),
                                              QStringLiteral("Close")),
               QDBus::NoBlock);
    m_session.clear();
    m_current = 0;
    m_triggerDescription.clear();
}

void PortalHotKeyBackend::refuse(const QString &why) {
    qCWarning(lcOrinHotkey).noquote() << "the desktop portal grants no global shortcut:" << why;
    m_answering = false;
}

void PortalHotKeyBackend::readAssigned(const QVariant &shortcuts) {
    const auto list = qdbus_cast<QList<PortalShortcut>>(shortcuts.value<QDBusArgument>());
    for (const PortalShortcut &shortcut : list) {
        if (shortcut.id == shortcutId)
            m_triggerDescription =
                shortcut.details.value(QStringLiteral("trigger_description")).toString();
    }
}

void PortalHotKeyBackend::activated(const QDBusMessage &message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || m_current == 0 || !m_handler)
        return;
    if (pathOf(arguments.at(0)) == m_session && arguments.at(1).toString() == shortcutId)
        m_handler(m_identifier);
}

void PortalHotKeyBackend::shortcutsChanged(const QDBusMessage &message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() >= 2 && pathOf(arguments.at(0)) == m_session)
        readAssigned(arguments.at(1));
}
