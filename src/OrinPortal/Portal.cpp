#include "OrinPortal/Portal.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcPortal, "orin.portal")

const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

// Unique in this process and valid in an object path.
QString newToken() {
    static quint64 next = 0;
    return QStringLiteral("chromet%1").arg(++next);
}

} // namespace

uint Portal::interfaceVersion(const QDBusConnection &bus, const QString &interface, int timeoutMs) {
    if (!bus.isConnected())
        return 0;
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << interface << QStringLiteral("version");
    const QDBusMessage reply = bus.call(get, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        qCDebug(lcPortal) << "no" << interface << "portal:" << reply.errorMessage();
        return 0;
    }
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toUInt();
}

PortalRequest::PortalRequest(const QDBusConnection &bus, Done done, QObject *context)
    : QObject(context)
    , m_bus(bus)
    , m_done(std::move(done)) {
}

void PortalRequest::call(const QDBusConnection &bus, const QString &interface,
                         const QString &method, const QVariantList &arguments, QVariantMap options,
                         QObject *context, Done done) {
    auto *request = new PortalRequest(bus, std::move(done), context);
    const QString token = newToken();
    options.insert(QStringLiteral("handle_token"), token);
    // The path the portal will answer on, listened to before asking so no answer is missed.
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    request->listen(Portal::path + QStringLiteral("/request/") + sender + QLatin1Char('/') + token);

    QDBusMessage message =
        QDBusMessage::createMethodCall(Portal::service, Portal::path, interface, method);
    message.setArguments(QVariantList(arguments) << options);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), request);
    connect(watcher, &QDBusPendingCallWatcher::finished, request, [request, method, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (reply.isError()) {
            qCWarning(lcPortal) << "the portal's" << method << "failed:" << reply.error().message();
            request->respond(Failed, {});
            return;
        }
        // Portals before handle tokens answer on a path of their own.
        if (reply.value().path() != request->m_handle && !request->listen(reply.value().path()))
            request->respond(Failed, {});
    });
}

bool PortalRequest::listen(const QString &handle) {
    if (!m_handle.isEmpty())
        m_bus.disconnect(Portal::service, m_handle, requestInterface, QStringLiteral("Response"),
                         this, SLOT(respond(uint, QVariantMap)));
    m_handle = handle;
    return m_bus.connect(Portal::service, m_handle, requestInterface, QStringLiteral("Response"),
                         this, SLOT(respond(uint, QVariantMap)));
}

void PortalRequest::respond(uint code, const QVariantMap &results) {
    if (!m_done)
        return;
    m_bus.disconnect(Portal::service, m_handle, requestInterface, QStringLiteral("Response"), this,
                     SLOT(respond(uint, QVariantMap)));
    const Done done = std::exchange(m_done, {});
    deleteLater();
    done(code, results);
}
