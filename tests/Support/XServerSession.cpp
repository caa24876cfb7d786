#include "Support/XServerSession.h"
#include "Support/RunProgram.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray readDisplayNumber(int fd, int timeoutMs) {
    QByteArray number;
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        pollfd pfd{fd, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, int(qMax<qint64>(1, deadline.remainingTime())));
        if (ready <= 0)
            continue;
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n <= 0)
            break;
        if (c == '\n')
            return number;
        number.append(c);
    }
    return {};
}

} // namespace

XServerSession::~XServerSession() {
    stop();
}

bool XServerSession::start(const Options &options) {
    stop();
    int fds[2];
    if (::pipe(fds) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }

    QStringList args;
    QString program;
    m_logPath = QDir::tempPath() + u"/chromet-xserver-%1.log"_s.arg(::getpid());
    if (options.xorgConfig.isEmpty()) {
        program = u"Xvfb"_s;
        args << u"-screen"_s << u"0"_s << options.screenSize;
    } else {
        program = u"Xorg"_s;
        args << u"-config"_s << options.xorgConfig << u"-logfile"_s << m_logPath << u"-novtswitch"_s
             << u"-sharevts"_s;
    }
    // By default a server resets when its last client leaves, and refuses clients that connect
    // meanwhile: a helper (xdotool) ending just as another (trayer) connects made that one fail
    // with "cannot open display" now and then.
    args << u"-noreset"_s;
    args << u"-displayfd"_s << QString::number(fds[1]) << u"-nolisten"_s << u"tcp"_s
         << options.extraArguments;
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        m_error = program + u" is not installed"_s;
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }

    QList<QByteArray> storage;
    storage.append(QFile::encodeName(path));
    for (const QString &a : args)
        storage.append(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const int devnull = ::open("/dev/null", O_RDWR);
        ::dup2(devnull, STDIN_FILENO);
        ::dup2(devnull, STDOUT_FILENO);
        ::dup2(devnull, STDERR_FILENO);
        ::setsid();
        // A test that crashes must not leave its server behind.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() == 1)
            ::_exit(127);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_pid = pid;
    const QByteArray number = readDisplayNumber(fds[0], 20000);
    ::close(fds[0]);
    if (number.isEmpty()) {
        m_error = program + u" did not report a display"_s;
        stop();
        return false;
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number);
    qputenv("DISPLAY", m_display.toLocal8Bit());
    return true;
}

void XServerSession::stop() {
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    QDeadlineTimer deadline(5000);
    int status = 0;
    while (::waitpid(m_pid, &status, WNOHANG) == 0) {
        if (deadline.hasExpired()) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            break;
        }
        ::usleep(10000);
    }
    m_pid = -1;
    m_display.clear();
}

QByteArray XServerSession::run(const QString &program, const QStringList &arguments, int timeoutMs,
                               int *exitCode) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DISPLAY"_s, m_display);
    return runProgram(program, arguments, env, timeoutMs, exitCode);
}
