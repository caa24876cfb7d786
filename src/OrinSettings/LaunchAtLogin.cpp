#include "OrinSettings/LaunchAtLogin.h"

#include "OrinSettings/SettingsLogging.h"
#include "OrinSettings/XdgAutostartLoginItem.h"

#include <QCoreApplication>

LaunchAtLogin::LaunchAtLogin(std::shared_ptr<LoginItemService> service, Log log, QObject *parent)
    : QObject(parent)
    , m_service(std::move(service))
    , m_log(std::move(log))
    , m_isEnabled(m_service->isEnabled()) {
}

LaunchAtLogin &LaunchAtLogin::shared() {
    static LaunchAtLogin *const instance = [] {
        auto service =
            std::make_shared<XdgAutostartLoginItem>(XdgAutostartLoginItem::forApplication());
        return new LaunchAtLogin(std::move(service), [](const QString &message) {
            const QString name = QCoreApplication::applicationName();
            qCWarning(lcOrinSettings).noquote()
                << (name.isEmpty() ? message : name + QStringLiteral(": ") + message);
        });
    }();
    return *instance;
}

void LaunchAtLogin::setEnabled(bool enabled) {
    const bool old = m_isEnabled;
    assign(enabled);
    if (m_reverting || enabled == old)
        return;
    if (const auto error = m_service->setEnabled(enabled)) {
        setLastError(error->localizedDescription);
        if (m_log)
            m_log(QStringLiteral("launch at login change failed: ") + error->description);
        m_reverting = true;
        assign(m_service->isEnabled());
        m_reverting = false;
        return;
    }
    setLastError(std::nullopt);
}

void LaunchAtLogin::refresh() {
    m_reverting = true;
    assign(m_service->isEnabled());
    m_reverting = false;
}

void LaunchAtLogin::assign(bool enabled) {
    if (enabled == m_isEnabled)
        return;
    m_isEnabled = enabled;
    Q_EMIT isEnabledChanged(m_isEnabled);
}

void LaunchAtLogin::setLastError(const std::optional<QString> &error) {
    if (error == m_lastError)
        return;
    m_lastError = error;
    Q_EMIT lastErrorChanged();
}
