#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstring>

// Each display size is measured in a child process of its own, with a fresh X server, so one
// size's caches and segments do not flatter the next. `measure` runs in the child.
template <typename Measure>
int runPerDisplaySize(int argc, char **argv, Measure &&measure, int timeoutMs) {
    if (argc == 3 && std::strcmp(argv[1], "--size") == 0)
        return measure(argc, argv, QString::fromLatin1(argv[2]));
    int status = 0;
    for (const char *size : {"1920x1080", "3840x2160"}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QString::fromLocal8Bit(argv[0]),
                    {QStringLiteral("--size"), QString::fromLatin1(size)});
        if (!child.waitForFinished(timeoutMs) || child.exitStatus() != QProcess::NormalExit ||
            child.exitCode() != 0)
            status = 1;
    }
    return status;
}
