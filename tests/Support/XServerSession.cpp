#include "Support/XServerSession.h"
#include "Support/RunProgram.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

bool XServerSession::start(const Options &options) {
    stop();
    int fds[2];
    if (::pipe(fds) != 0) {
        m_error = u"cannot make a pipe"_s;
        return false;
    }
    QStringList args;
    if (options.xorgConfig.isEmpty()) {
        m_server.setProgram(u"Xvfb"_s);
        args << u"-screen"_s << u"0"_s << options.screenSize;
    } else {
        m_server.setProgram(u"Xorg"_s);
        args << u"-config"_s << options.xorgConfig << u"-logfile"_s
             << QDir::tempPath() +
                    u"/chromet-xserver-%1.log"_s.arg(QCoreApplication::applicationPid())
             << u"-novtswitch"_s << u"-sharevts"_s;
    }
    // By default a server resets when its last client leaves, and refuses clients that connect
    // meanwhile: a helper (xdotool) ending just as another (trayer) connects made that one fail
    // with "cannot open display" now and then.
    args << u"-noreset"_s << u"-displayfd"_s << QString::number(fds[1]) << u"-nolisten"_s
         << u"tcp"_s;
    m_server.setArguments(args);
    m_server.setStandardInputFile(QProcess::nullDevice());
    m_server.setStandardOutputFile(QProcess::nullDevice());
    m_server.setStandardErrorFile(QProcess::nullDevice());
    m_server.setChildProcessModifier([] {
        ::setsid();
        // A test that crashes must not leave its server behind.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() == 1)
            ::_exit(127);
    });
    m_server.start();
    // The server alone holds the writing end now: its end is the end of the number.
    ::close(fds[1]);
    QFile displayFd;
    displayFd.open(fds[0], QIODevice::ReadOnly, QFile::AutoCloseHandle);
    const QByteArray number = m_server.waitForStarted(10000) ? displayFd.readLine().trimmed() : "";
    if (number.isEmpty()) {
        m_error = m_server.program() + u" did not report a display: "_s + m_server.errorString();
        stop();
        return false;
    }
    qputenv("DISPLAY", ':' + number);
    return true;
}

void XServerSession::stop() {
    stopProcess(m_server);
}
