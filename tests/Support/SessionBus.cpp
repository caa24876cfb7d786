#include "Support/SessionBus.h"

#include "Support/RunProgram.h"

#include <QDeadlineTimer>

using namespace Qt::StringLiterals;

bool SessionBus::start() {
    stop();
    m_daemon.setProgram(u"dbus-daemon"_s);
    m_daemon.setArguments(
        {u"--session"_s, u"--nofork"_s, u"--nopidfile"_s, u"--print-address=1"_s});
    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_daemon.start();
    if (!m_daemon.waitForStarted(10000)) {
        m_error = u"cannot run dbus-daemon: "_s + m_daemon.errorString();
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!m_daemon.canReadLine() && !deadline.hasExpired() &&
           m_daemon.state() == QProcess::Running)
        m_daemon.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    if (m_address.isEmpty()) {
        m_error = u"dbus-daemon printed no address"_s;
        stop();
        return false;
    }
    return true;
}

void SessionBus::stop() {
    stopProcess(m_daemon);
    m_address.clear();
}
