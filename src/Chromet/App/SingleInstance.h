#pragma once

#include <QLockFile>
#include <QString>

// Keeps the tray application to one per user and display: the first to lock the file runs, a
// later one finds it held by a live process and leaves. The lock goes with the process, so a
// crashed instance does not keep the next one out.
class SingleInstance {
public:
    enum class Result {
        Acquired,       // this process is the one
        AlreadyRunning, // another live process holds the lock
        Unavailable,    // the lock file cannot be made; nothing can tell, so run anyway
    };

    explicit SingleInstance(const QString &lockPath);
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // $XDG_RUNTIME_DIR/chromet-<display>.lock for the display in `display` (DISPLAY's value; the
    // screen number is left out, since every screen of a display shares one tray). Empty when no
    // runtime folder exists.
    static QString defaultLockPath(const QString &display);

    Result acquire();
    QString path() const { return m_path; }
    QString errorString() const { return m_error; }

private:
    QString m_path;
    QString m_error;
    QLockFile m_lock;
};
