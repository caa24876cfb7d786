#include "Support/WaylandSession.h"
#include "Support/ColorFixture.h"
#include "Support/RunProgram.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int startTimeoutMs = 20000;

bool writeFile(const QString &path, const QByteArray &data, QFile::Permissions permissions) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.flush() &&
           file.setPermissions(permissions);
}

constexpr QFile::Permissions readable =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
constexpr QFile::Permissions executable =
    readable | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;

// The outputs: mode in device pixels, position in points, scale. A fractional scale maps device
// pixels to points exactly only when the size in points is whole.
struct Layout {
    int width, height, x, y;
    double scale;
};
constexpr Layout layout[] = {{1200, 720, 0, 0, 1.5}, {1280, 720, 800, 0, 2}};

// The first file in `dir` whose name matches `pattern`.
QString findFile(const QString &dir, const QString &pattern) {
    const QStringList names = QDir(dir).entryList({pattern}, QDir::System | QDir::Files);
    return names.isEmpty() ? QString() : QDir(dir).filePath(names.first());
}

// An Xcursor theme "default" whose pointers are one transparent pixel. Headless outputs draw the
// pointer into every frame, screen copies included; desktops with hardware cursors leave it out.
bool writeBlankCursorTheme(const QString &iconsDir) {
    const QString dir = iconsDir + u"/default/cursors"_s;
    for (const QString &level : QStringList{iconsDir, iconsDir + u"/default"_s, dir}) {
        if (!QDir().mkdir(level) || !QFile::setPermissions(level, executable))
            return false;
    }
    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 image = 0xfffd0002, nominalSize = 24;
    out << quint32(0x72756358) << quint32(16) << quint32(0x10000) << quint32(1); // "Xcur", 1 entry
    out << image << nominalSize << quint32(28);                                  // where it is
    // Its header, 1 x 1 pixel, hot spot 0,0, no delay, then the pixel.
    out << quint32(36) << image << nominalSize << quint32(1) << quint32(1) << quint32(1)
        << quint32(0) << quint32(0) << quint32(0) << quint32(0);
    // sway shows left_ptr; clients ask for these for arrows and cross hairs.
    for (const char *name : {"left_ptr", "default", "crosshair", "cross"}) {
        if (!writeFile(dir + QLatin1Char('/') + QLatin1String(name), file, readable))
            return false;
    }
    return true;
}

// The configuration and the cursor theme in `dir`. The backgrounds are waylandfixture's.
bool writeSessionFiles(const QDir &dir) {
    QByteArray config = "xwayland disable\ndefault_border none\nswaybg_command -\n";
    for (int i = 0; i < 2; ++i) {
        const Layout &o = layout[i];
        config += u"output HEADLESS-%1 mode %2x%3 position %4 %5 scale %6\n"_s.arg(i + 1)
                      .arg(o.width)
                      .arg(o.height)
                      .arg(o.x)
                      .arg(o.y)
                      .arg(o.scale)
                      .toUtf8();
    }
    return writeBlankCursorTheme(dir.filePath(u"icons"_s)) &&
           writeFile(dir.filePath(u"config"_s), config, readable);
}

} // namespace

bool WaylandSession::start() {
    stop();
    m_error.clear();
    // sway refuses root; then it runs as nobody and everything it reads lies outside /root.
    const bool asRoot = ::geteuid() == 0;
    const passwd *user = asRoot ? ::getpwnam("nobody") : nullptr;
    if (asRoot && !user) {
        m_error = u"no user nobody to run sway as"_s;
        return false;
    }
    const uid_t uid = user ? user->pw_uid : ::geteuid();
    const gid_t gid = user ? user->pw_gid : ::getegid();
    const QString base = asRoot ? u"/tmp"_s : QDir::tempPath();
    m_dir = std::make_unique<QTemporaryDir>(base + u"/chromet-wayland-XXXXXX"_s);
    const QDir dir(m_dir->path());
    const QString swayRuntime = dir.filePath(u"sway"_s);
    if (!m_dir->isValid() || !dir.mkdir(u"sway"_s) || !dir.mkdir(u"runtime"_s) ||
        ::chown(QFile::encodeName(dir.path()).constData(), uid, gid) != 0 ||
        ::chown(QFile::encodeName(swayRuntime).constData(), uid, gid) != 0) {
        m_error = u"cannot set up a folder in "_s + base;
        return false;
    }
    for (const QString &runtime : {swayRuntime, dir.filePath(u"runtime"_s)})
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!writeSessionFiles(dir)) {
        m_error = u"cannot write the configuration into "_s + dir.path();
        return false;
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "SWAYSOCK", "I3SOCK"})
        env.remove(QString::fromLatin1(name));
    env.insert(u"XDG_RUNTIME_DIR"_s, swayRuntime);
    env.insert(u"XCURSOR_PATH"_s, dir.filePath(u"icons"_s));
    env.insert(u"WLR_BACKENDS"_s, u"headless"_s);
    env.insert(u"WLR_LIBINPUT_NO_DEVICES"_s, u"1"_s);
    env.insert(u"WLR_RENDERER"_s, u"pixman"_s);
    env.insert(u"WLR_HEADLESS_OUTPUTS"_s, u"2"_s);
    if (user)
        env.insert(u"HOME"_s, dir.path());
    m_sway.setProcessEnvironment(env);
    m_sway.setProcessChannelMode(QProcess::MergedChannels);
    m_sway.setStandardOutputFile(dir.filePath(u"sway.log"_s));
    m_sway.setChildProcessModifier([asRoot, uid, gid] {
        if (asRoot && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            ::_exit(126);
        // A test that crashes must not leave its compositor behind. Set after the user change,
        // which clears it.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() == 1)
            ::_exit(127);
    });
    m_sway.start(u"sway"_s, {u"-c"_s, dir.filePath(u"config"_s)});
    if (!m_sway.waitForStarted(startTimeoutMs)) {
        m_error = u"cannot run sway: "_s + m_sway.errorString();
        return false;
    }
    if (!waitUntilReady() || !startFixture()) {
        QFile log(dir.filePath(u"sway.log"_s));
        if (log.open(QIODevice::ReadOnly))
            m_error +=
                u"; sway's log ends with: "_s + QString::fromLocal8Bit(log.readAll().right(2000));
        stop();
        return false;
    }
    // Clients find the socket by its full path, as they may bring runtime folders of their own.
    const QProcessEnvironment session = environment();
    for (const QString &name : session.keys())
        qputenv(name.toLocal8Bit().constData(), session.value(name).toLocal8Bit());
    qunsetenv("DISPLAY");
    return true;
}

bool WaylandSession::waitUntilReady() {
    const QString swayRuntime = QDir(m_dir->path()).filePath(u"sway"_s);
    const QDeadlineTimer deadline(startTimeoutMs);
    m_error = u"sway did not come up in time"_s;
    while (!deadline.hasExpired()) {
        // Waits a little, and notices at once when sway ends.
        if (m_sway.waitForFinished(10)) {
            m_error = u"sway ended with status %1"_s.arg(m_sway.exitCode());
            return false;
        }
        if (m_socket.isEmpty() || m_ipcSocket.isEmpty()) {
            m_socket = findFile(swayRuntime, u"wayland-[0-9]"_s);
            m_ipcSocket = findFile(swayRuntime, u"sway-ipc.*.sock"_s);
            continue;
        }
        const QJsonArray reply =
            QJsonDocument::fromJson(run(u"swaymsg"_s, {u"-r"_s, u"-t"_s, u"get_outputs"_s}))
                .array();
        int configured = 0;
        for (const QJsonValue &value : reply) {
            const QJsonObject o = value.toObject();
            const QJsonObject rect = o.value(u"rect"_s).toObject();
            const QJsonObject mode = o.value(u"current_mode"_s).toObject();
            const Layout &l = layout[o.value(u"name"_s).toString() == u"HEADLESS-2"_s];
            configured += rect.value(u"x"_s).toInt() == l.x && rect.value(u"y"_s).toInt() == l.y &&
                          mode.value(u"width"_s).toInt() == l.width &&
                          mode.value(u"height"_s).toInt() == l.height &&
                          qFuzzyCompare(o.value(u"scale"_s).toDouble(), l.scale);
        }
        if (configured == 2) {
            m_error.clear();
            return true;
        }
    }
    return false;
}

bool WaylandSession::startFixture() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(environment());
    m_seat.setProcessEnvironment(env);
    m_seat.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_seat.start(QStringLiteral(WAYLANDFIXTURE_EXECUTABLE), {});
    const QDeadlineTimer deadline(startTimeoutMs);
    while (!m_seat.canReadLine() && m_seat.state() != QProcess::NotRunning &&
           !deadline.hasExpired())
        m_seat.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    if (m_seat.readLine().trimmed() != "ready") {
        m_error = u"the pointer, keyboard and backgrounds did not come up"_s;
        return false;
    }
    return true;
}

void WaylandSession::stop() {
    stopProcess(m_seat);
    stopProcess(m_sway);
    m_socket.clear();
    m_ipcSocket.clear();
    m_dir.reset();
}

QProcessEnvironment WaylandSession::environment() const {
    QProcessEnvironment env;
    if (!m_dir)
        return env;
    env.insert(u"WAYLAND_DISPLAY"_s, m_socket);
    env.insert(u"XDG_RUNTIME_DIR"_s, QDir(m_dir->path()).filePath(u"runtime"_s));
    env.insert(u"SWAYSOCK"_s, m_ipcSocket);
    env.insert(u"QT_QPA_PLATFORM"_s, u"wayland"_s);
    env.insert(u"XCURSOR_PATH"_s, QDir(m_dir->path()).filePath(u"icons"_s));
    env.insert(u"XCURSOR_THEME"_s, u"default"_s);
    return env;
}

QByteArray WaylandSession::run(const QString &program, const QStringList &arguments,
                               int *exitCode) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(environment());
    env.remove(u"DISPLAY"_s);
    return runProgram(program, arguments, env, 10000, exitCode);
}

bool WaylandSession::succeeds(const QString &program, const QStringList &arguments) const {
    int exitCode = -1;
    run(program, arguments, &exitCode);
    return exitCode == 0;
}

bool WaylandSession::moveCursor(QPointF global) const {
    // sway places the point relative to the layout's top left corner, which is 0, 0.
    return succeeds(u"swaymsg"_s,
                    {u"seat"_s, u"seat0"_s, u"cursor"_s, u"set"_s,
                     QString::number(global.x(), 'f', 8), QString::number(global.y(), 'f', 8)});
}

bool WaylandSession::click() const {
    return succeeds(u"swaymsg"_s, {u"seat seat0 cursor press button1"_s}) &&
           succeeds(u"swaymsg"_s, {u"seat seat0 cursor release button1"_s});
}

bool WaylandSession::typeKeys(const QStringList &wtypeArguments) const {
    return succeeds(u"wtype"_s, wtypeArguments);
}

QString WaylandSession::clipboardText() const {
    int exitCode = -1;
    const QByteArray text = run(u"wl-paste"_s, {u"--no-newline"_s}, &exitCode);
    return exitCode == 0 ? QString::fromUtf8(text) : QString();
}

QRgb WaylandSession::backgroundAt(QPointF global) {
    for (int i = 0; i < 2; ++i) {
        const Layout &o = layout[i];
        const QPointF pixel = (global - QPointF(o.x, o.y)) * o.scale;
        if (pixel.x() >= 0 && pixel.y() >= 0 && pixel.x() < o.width && pixel.y() < o.height)
            return colorFixturePixel(int(std::floor(pixel.x())), int(std::floor(pixel.y())),
                                     colorFixtureBlue(i));
    }
    return 0;
}
