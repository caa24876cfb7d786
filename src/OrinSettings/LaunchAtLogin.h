#pragma once

#include "OrinSettings/LoginItemService.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// The "start at login" switch, kept in step with the system's login-item registration. A change
// the system refuses is logged and the switch springs back to what the system really has.
// Main thread only.
class LaunchAtLogin : public QObject {
    Q_OBJECT

public:
    using Log = std::function<void(const QString &message)>;

    // The switch starts as the service reports it.
    LaunchAtLogin(std::shared_ptr<LoginItemService> service, Log log, QObject *parent = nullptr);

    // The process's instance, made on first use with the desktop's autostart entry for this
    // application (named after QGuiApplication::desktopFileName()) and a log into the system log
    // prefixed with the application's name. Lives until the process ends.
    static LaunchAtLogin &shared();

    bool isEnabled() const { return m_isEnabled; }
    // Asks the service for the change; on refusal the switch returns to the service's state,
    // lastError() says why and one line goes to the log. Assigning the current value does nothing.
    void setEnabled(bool enabled);

    // The description of the last refused change; cleared by the next successful one.
    std::optional<QString> lastError() const { return m_lastError; }

    // Reads the system's state again (it may have been changed elsewhere) without changing it.
    void refresh();

    LoginItemService &service() const { return *m_service; }

Q_SIGNALS:
    void isEnabledChanged(bool enabled);
    void lastErrorChanged();

private:
    void assign(bool enabled);
    void setLastError(const std::optional<QString> &error);

    std::shared_ptr<LoginItemService> m_service;
    Log m_log;
    bool m_isEnabled = false;
    std::optional<QString> m_lastError;
    bool m_reverting = false;
};
