#pragma once

#include <QProcess>
#include <QString>

// A private D-Bus session bus for one test: dbus-daemon started on construction's start() and
// stopped by its process id on destruction.
class SessionBus {
public:
    SessionBus() = default;
    ~SessionBus() { stop(); }
    SessionBus(const SessionBus &) = delete;
    SessionBus &operator=(const SessionBus &) = delete;

    // Starts the daemon; false with errorString() set when it does not start.
    bool start();
    void stop();

    // What DBUS_SESSION_BUS_ADDRESS is set to for processes on this bus.
    QString address() const { return m_address; }
    QString errorString() const { return m_error; }

private:
    QProcess m_daemon;
    QString m_address;
    QString m_error;
};
