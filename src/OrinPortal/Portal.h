#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

// The desktop portal service, whose interfaces share one object on the session bus.
namespace Portal {

inline const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
inline const QString path = QStringLiteral("/org/freedesktop/portal/desktop");

// The interface's "version" property; 0 when the bus has no portal or the portal lacks the
// interface. Blocks for at most `timeoutMs`: the portal may be started on this first call.
uint interfaceVersion(const QDBusConnection &bus, const QString &interface, int timeoutMs = 3000);

} // namespace Portal

// One portal method call whose result comes later in the Response signal of the Request object
// it names. Lives as a child of its context: destroying the context first drops the answer.
class PortalRequest : public QObject {
    Q_OBJECT

public:
    // Response codes: 1 the user cancelled, 2 the call failed or the portal ended it otherwise.
    enum Code : uint { Success = 0, Cancelled = 1, Failed = 2 };
    using Done = std::function<void(uint code, const QVariantMap &results)>;

    // Calls `method` of the portal `interface` with `arguments` followed by `options`, to which
    // a handle_token is added. `done` runs once, on a later turn: with the response, or with
    // Failed when the call itself fails.
    static void call(const QDBusConnection &bus, const QString &interface, const QString &method,
                     const QVariantList &arguments, QVariantMap options, QObject *context,
                     Done done);

private Q_SLOTS:
    void respond(uint code, const QVariantMap &results);

private:
    PortalRequest(const QDBusConnection &bus, Done done, QObject *context);
    bool listen(const QString &handle);

    QDBusConnection m_bus;
    QString m_handle;
    Done m_done;
};
