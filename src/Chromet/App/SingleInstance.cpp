#include "Chromet/App/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString &lockPath)
    : m_path(lockPath)
    , m_lock(lockPath) {
    // Only a dead holder makes the lock stale; a long-running instance never does.
    m_lock.setStaleLockTime(0);
}

QString SingleInstance::defaultLockPath(const QString &display) {
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return QString();
    // ":0.1" and ":0" are one display; "host:0" stays apart from the local ":0".
    QString name = display;
    static const QRegularExpression screenSuffix(QStringLiteral("\\.\\d+$"));
    const qsizetype colon = name.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0)
        name = name.left(colon) + name.mid(colon).remove(screenSuffix);
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    name.replace(unsafe, QStringLiteral("_"));
    if (name.isEmpty())
        name = QStringLiteral("none");
    return QDir(runtime).filePath(QStringLiteral("chromet-%1.lock").arg(name));
}

SingleInstance::Result SingleInstance::acquire() {
    if (m_path.isEmpty()) {
        m_error = QStringLiteral("no runtime folder for the lock file");
        return Result::Unavailable;
    }
    if (m_lock.isLocked() || m_lock.tryLock(0))
        return Result::Acquired;
    switch (m_lock.error()) {
    case QLockFile::LockFailedError: {
        // Only a lock file naming its holder means another instance; anything else standing
        // there (a folder, say) must not keep the application from starting.
        qint64 pid = 0;
        QString host;
        QString application;
        if (QFileInfo(m_path).isFile() && m_lock.getLockInfo(&pid, &host, &application))
            return Result::AlreadyRunning;
        m_error = QStringLiteral("%1 is in the way").arg(m_path);
        return Result::Unavailable;
    }
    case QLockFile::PermissionError:
        m_error = QStringLiteral("cannot create %1").arg(m_path);
        return Result::Unavailable;
    default:
        m_error = QStringLiteral("cannot use %1").arg(m_path);
        return Result::Unavailable;
    }
}
