#include "Support/PortalBus.h"

#include "Support/RunProgram.h"

#include <QDeadlineTimer>

PortalBus::~PortalBus() {
    stopProcess(m_portal);
    if (!m_name.isEmpty())
        QDBusConnection::disconnectFromBus(m_name);
}

bool PortalBus::start(bool withPortal, const QStringList &arguments) {
    if (!m_bus.start()) {
        m_error = m_bus.errorString();
        return false;
    }
    static int connections = 0;
    m_name = QStringLiteral("portal-test-%1").arg(++connections);
    if (!QDBusConnection::connectToBus(m_bus.address(), m_name).isConnected()) {
        m_error = QStringLiteral("cannot connect to the test's bus");
        return false;
    }
    if (!withPortal)
        return true;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus.address());
    m_portal.setProcessEnvironment(environment);
    m_portal.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_portal.start(QStringLiteral(FAKEPORTAL_EXECUTABLE), arguments);
    if (!m_portal.waitForStarted(10000) || !waitForLine(QStringLiteral("ready"))) {
        m_error = QStringLiteral("the fake portal did not start: ") + m_portal.errorString();
        return false;
    }
    return true;
}

void PortalBus::command(const QString &line) {
    m_portal.write((line + QLatin1Char('\n')).toUtf8());
}

bool PortalBus::waitForLine(const QString &line, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_lines.contains(line)) {
        if (m_portal.canReadLine()) {
            m_lines.append(QString::fromUtf8(m_portal.readLine()).trimmed());
            continue;
        }
        if (deadline.hasExpired() || m_portal.state() != QProcess::Running)
            return false;
        m_portal.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    return true;
}
