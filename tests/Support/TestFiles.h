#pragma once

// Files and log lines as the tests look at them.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

inline QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes `bytes` to `path`, making its folder first.
inline bool writeAll(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// Collects the program's own log lines (category "chromet") while it lives; other messages go on
// to the handler before it.
class ChrometLog {
public:
    ChrometLog() {
        s_lines = &lines;
        s_previous = qInstallMessageHandler(handle);
    }
    ~ChrometLog() {
        qInstallMessageHandler(s_previous);
        s_lines = nullptr;
    }
    ChrometLog(const ChrometLog &) = delete;
    ChrometLog &operator=(const ChrometLog &) = delete;

    QStringList lines;

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message) {
        if (s_lines && qstrcmp(context.category, "chromet") == 0)
            s_lines->append(message);
        else if (s_previous)
            s_previous(type, context, message);
    }

    static inline QStringList *s_lines = nullptr;
    static inline QtMessageHandler s_previous = nullptr;
};
