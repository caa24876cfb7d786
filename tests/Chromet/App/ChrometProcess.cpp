#include "ChrometProcess.h"

#include "Chromet/Library/LibraryStore.h"
#include "Support/ColorFixture.h"
#include "Support/TestFiles.h"

#include <QColor>
#include <QDeadlineTimer>
#include <QProcessEnvironment>

using namespace Qt::StringLiterals;

bool ChrometProcess::start(const Options &options) {
    stop();
    if (options.sameSessionAs) {
        m_base = options.sameSessionAs->m_base;
    } else {
        m_dir = std::make_unique<QTemporaryDir>();
        m_base = m_dir->path();
        QDir(m_base).mkpath(u"runtime"_s);
        QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // A bare X server has no tray; the one-time notice about that would cover the test windows.
        const QByteArray settings =
            "[General]\nhasCompletedOnboarding=true\nhasSeenNoTrayNotice=true\n";
        if (!writeAll(configHome() + u"/Chromet/Chromet.conf"_s, settings + options.settings))
            return false;
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_DATA_HOME"_s, dataHome());
    env.insert(u"XDG_CONFIG_HOME"_s, configHome());
    env.insert(u"XDG_RUNTIME_DIR"_s, runtimeDir());
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    // No session bus unless given: the tray icon takes the XEmbed path.
    for (const QString &name : {u"DBUS_SESSION_BUS_ADDRESS"_s, u"QT_SCALE_FACTOR"_s,
                                u"QT_LOGGING_RULES"_s, u"QT_MESSAGE_PATTERN"_s})
        env.remove(name);
    for (const QString &assignment : options.environment) {
        const qsizetype eq = assignment.indexOf(QLatin1Char('='));
        env.insert(assignment.left(eq), assignment.mid(eq + 1));
    }
    m_process.setProcessEnvironment(env);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_lines.clear();
    m_partial.clear();
    m_process.start(executable(), {});
    return m_process.waitForStarted(10000);
}

void ChrometProcess::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    stopProcess(m_process);
    readAvailable();
}

std::optional<int> ChrometProcess::waitForExit(int timeoutMs) {
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(timeoutMs))
        return std::nullopt;
    readAvailable();
    if (m_process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return m_process.exitCode();
}

bool ChrometProcess::openLoupe(const QPoint &at) {
    if (!Desktop::movePointer(at))
        return false;
    const int mark = int(lines().size());
    if (!xdotool({u"key"_s, u"ctrl+alt+c"_s}))
        return false;
    if (waitForLine(u"first window ordered front"_s, mark) < 0)
        return false;
    // The loupe takes the focus and the keyboard once its window is mapped.
    return QTest::qWaitFor([this] { return Desktop::windowPid(Desktop::focusedWindow()) == pid(); },
                           30000);
}

void ChrometProcess::readAvailable() {
    m_partial += m_process.readAllStandardError();
    qsizetype newline;
    while ((newline = m_partial.indexOf('\n')) >= 0) {
        m_lines.append(QString::fromUtf8(m_partial.left(newline)));
        m_partial.remove(0, newline + 1);
    }
}

QStringList ChrometProcess::lines() {
    readAvailable();
    return m_lines;
}

int ChrometProcess::waitForLine(const QString &text, int from, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    for (int next = from;;) {
        // Once more after the deadline or the end, for what arrived meanwhile.
        const bool last = deadline.hasExpired() || m_process.state() == QProcess::NotRunning;
        readAvailable();
        for (; next < m_lines.size(); ++next) {
            if (m_lines.at(next).contains(text))
                return next;
        }
        if (last)
            return -1;
        m_process.waitForReadyRead(int(qBound(qint64(1), deadline.remainingTime(), qint64(100))));
    }
}

QList<QRgb> Desktop::history(const QString &libraryPath) {
    QList<QRgb> colors;
    for (const PickedColor &c :
         LibraryStore::decode(readAll(libraryPath)).value_or(Library{}).history)
        colors.append(qRgb(qRound(c.srgb.r * 255), qRound(c.srgb.g * 255), qRound(c.srgb.b * 255)));
    return colors;
}

QByteArray Desktop::run(const QString &program, const QStringList &arguments, int *exitCode,
                        int timeoutMs) {
    return runProgram(program, arguments, QProcessEnvironment::systemEnvironment(), timeoutMs,
                      exitCode)
        .trimmed();
}

QList<quint64> Desktop::windowsOf(qint64 pid) {
    QList<quint64> windows;
    const QList<QByteArray> ids =
        run(u"xdotool"_s, {u"search"_s, u"--onlyvisible"_s, u"--pid"_s, QString::number(pid)})
            .split('\n');
    for (const QByteArray &id : ids) {
        if (const quint64 window = id.trimmed().toULongLong())
            windows.append(window);
    }
    return windows;
}

bool Desktop::movePointer(const QPoint &to) {
    return xdotool({u"mousemove"_s, QString::number(to.x()), QString::number(to.y())});
}

std::optional<QString> Desktop::clipboard() {
    int code = -1;
    const QByteArray text =
        run(u"xclip"_s, {u"-o"_s, u"-selection"_s, u"clipboard"_s}, &code, 5000);
    return code == 0 ? std::optional(QString::fromUtf8(text)) : std::nullopt;
}

bool Desktop::setClipboard(const QString &text) {
    run(u"sh"_s,
        {u"-c"_s, u"printf %s \"$0\" | xclip -selection clipboard >/dev/null 2>&1"_s, text});
    return QTest::qWaitFor([&] { return clipboard() == text; });
}

quint64 Desktop::focusedWindow() {
    return run(u"xdotool"_s, {u"getwindowfocus"_s, u"-f"_s}).toULongLong();
}

qint64 Desktop::windowPid(quint64 window) {
    return window ? run(u"xdotool"_s, {u"getwindowpid"_s, QString::number(window)}).toLongLong()
                  : 0;
}

ColorFixtureProcess::~ColorFixtureProcess() {
    m_process.kill();
    m_process.waitForFinished();
}

bool ColorFixtureProcess::start(const QRect &geometry) {
    m_geometry = geometry;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    env.remove(u"QT_SCALE_FACTOR"_s);
    m_process.setProcessEnvironment(env);
    m_process.start(QStringLiteral(COLORFIXTURE_EXECUTABLE),
                    {QString::number(geometry.x()), QString::number(geometry.y()),
                     QString::number(geometry.width()), QString::number(geometry.height())});
    // It says "ready WINDOW" once it is on screen.
    while (m_process.waitForStarted(10000) && !m_process.canReadLine() &&
           m_process.waitForReadyRead(15000)) {
    }
    const QList<QByteArray> words = m_process.readLine().trimmed().split(' ');
    m_window = words.size() == 2 && words.first() == "ready" ? words.at(1).toULongLong() : 0;
    return m_window != 0;
}

QRgb ColorFixtureProcess::rgbAt(const QPoint &global) const {
    const QPoint local = global - m_geometry.topLeft();
    return colorFixturePixel(local.x(), local.y());
}

QString ColorFixtureProcess::hexAt(const QPoint &global) const {
    return QColor(rgbAt(global)).name().toUpper();
}
