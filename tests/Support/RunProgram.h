#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

// Runs a helper program to its end and returns its stdout; `exitCode` is -1 when it does not end in
// time or crashes.
inline QByteArray
runProgram(const QString &program, const QStringList &arguments,
           const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
           int timeoutMs = 10000, int *exitCode = nullptr) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(timeoutMs);
    if (!ended) {
        process.kill();
        process.waitForFinished();
    }
    if (exitCode)
        *exitCode = ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return ended ? process.readAllStandardOutput() : QByteArray();
}

// Input as a user makes it, on this test's DISPLAY.
inline bool xdotool(const QStringList &arguments) {
    int exitCode = -1;
    runProgram(QStringLiteral("xdotool"), arguments, QProcessEnvironment::systemEnvironment(),
               10000, &exitCode);
    return exitCode == 0;
}

// Ends a process a test started: SIGTERM, then SIGKILL after a deadline, and waits for it.
inline void stopProcess(QProcess &process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}
