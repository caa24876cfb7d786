#pragma once

#include "Support/SessionBus.h"

#include <QDBusConnection>
#include <QProcess>
#include <QStringList>

// A private session bus for one test, with the fake desktop portal (fakeportal) on it when
// asked. Everything started is stopped by its process id on destruction.
class PortalBus {
public:
    PortalBus() = default;
    ~PortalBus();
    PortalBus(const PortalBus &) = delete;
    PortalBus &operator=(const PortalBus &) = delete;

    // Starts the bus, then, unless `withPortal` is false, the portal with `arguments`, and waits
    // until it serves. False with errorString() set when something does not start.
    bool start(bool withPortal, const QStringList &arguments = {});
    // Our connection to the bus, and its address for other processes.
    QDBusConnection connection() const { return QDBusConnection(m_name); }
    QString address() const { return m_bus.address(); }
    QString errorString() const { return m_error; }

    // A command line for the portal ("activate pick-color").
    void command(const QString &line);
    // Whether the portal has printed `line` before `timeoutMs` ends.
    bool waitForLine(const QString &line, int timeoutMs = 10000);

private:
    SessionBus m_bus;
    QProcess m_portal;
    QString m_name;
    QStringList m_lines;
    QString m_error;
};
