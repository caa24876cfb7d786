#pragma once

#include <QObject>
#include <QString>

// In-process notifications by name, for announcements whose sender does not know who listens
// (a new shortcut in the settings reaches the shortcut registration this way). Delivery is a
// signal: receivers on the posting thread run before post() returns.
class NotificationCenter : public QObject {
    Q_OBJECT

public:
    // The process-wide center, created on first use (safe if two threads ask at once).
    static NotificationCenter &instance();

    explicit NotificationCenter(QObject *parent = nullptr);

    void post(const QString &name);

Q_SIGNALS:
    void posted(const QString &name);
};
