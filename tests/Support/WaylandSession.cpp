#include "Support/WaylandSession.h"
#include "Support/RunProgram.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

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

bool isWhole(double value) {
    return std::abs(value - std::round(value)) < 1e-9;
}

// The first file in `dir` whose name matches `pattern`.
QString findFile(const QString &dir, const QString &pattern) {
    const QStringList names = QDir(dir).entryList({pattern}, QDir::System | QDir::Files);
    return names.isEmpty() ? QString() : QDir(dir).filePath(names.first());
}

// An Xcursor theme "default" whose pointers are one transparent pixel. Headless outputs draw the
// pointer into every frame, screen copies included; desktops with hardware cursors leave it out.
bool writeBlankCursorTheme(const QString &iconsDir) {
    const QString dir = iconsDir + QStringLiteral("/default/cursors");
    for (const QString &level : QStringList{iconsDir, iconsDir + QStringLiteral("/default"), dir}) {
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
bool writeSessionFiles(const QDir &dir, const QList<WaylandSession::Output> &outputs) {
    QByteArray config = "xwayland disable\ndefault_border none\nswaybg_command -\n";
    for (int i = 0; i < outputs.size(); ++i) {
        const WaylandSession::Output &o = outputs[i];
        config += QStringLiteral("output HEADLESS-%1 mode %2x%3 position %4 %5 scale %6\n")
                      .arg(i + 1)
                      .arg(o.width)
                      .arg(o.height)
                      .arg(o.x)
                      .arg(o.y)
                      .arg(o.scale)
                      .toUtf8();
    }
    return writeBlankCursorTheme(dir.filePath(QStringLiteral("icons"))) &&
           writeFile(dir.filePath(QStringLiteral("config")), config, readable);
}

} // namespace

WaylandSession::~WaylandSession() {
    stop();
}

bool WaylandSession::start(const Options &options) {
    stop();
    m_error.clear();
    // backgroundPixel() tells apart 2 outputs of 2048 x 2048 pixels; a fractional scale maps
    // device pixels to points exactly only when the logical size is whole.
    const auto fits = [](const Output &o) {
        return o.width <= 2048 && o.height <= 2048 && o.scale > 0 && isWhole(o.width / o.scale) &&
               isWhole(o.height / o.scale);
    };
    if (options.outputs.isEmpty() || options.outputs.size() > 2 ||
        !std::all_of(options.outputs.begin(), options.outputs.end(), fits)) {
        m_error = QStringLiteral("one or two outputs up to 2048 x 2048 pixels, a whole number of "
                                 "logical pixels each");
        return false;
    }
    // sway refuses root; then it runs as nobody and everything it reads lies outside /root.
    const bool asRoot = ::geteuid() == 0;
    const passwd *user = asRoot ? ::getpwnam("nobody") : nullptr;
    if (asRoot && !user) {
        m_error = QStringLiteral("no user nobody to run sway as");
        return false;
    }
    const uid_t uid = user ? user->pw_uid : ::geteuid();
    const gid_t gid = user ? user->pw_gid : ::getegid();
    const QString base = asRoot ? QStringLiteral("/tmp") : QDir::tempPath();
    m_dir = std::make_unique<QTemporaryDir>(base + QStringLiteral("/chromet-wayland-XXXXXX"));
    const QDir dir(m_dir->path());
    const QString swayRuntime = dir.filePath(QStringLiteral("sway"));
    if (!m_dir->isValid() || !dir.mkdir(QStringLiteral("sway")) ||
        !dir.mkdir(QStringLiteral("runtime")) ||
        ::chown(QFile::encodeName(dir.path()).constData(), uid, gid) != 0 ||
        ::chown(QFile::encodeName(swayRuntime).constData(), uid, gid) != 0) {
        m_error = QStringLiteral("cannot set up a folder in ") + base;
        return false;
    }
    const auto privateDir = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    QFile::setPermissions(swayRuntime, privateDir);
    QFile::setPermissions(dir.filePath(QStringLiteral("runtime")), privateDir);

    if (!writeSessionFiles(dir, options.outputs)) {
        m_error = QStringLiteral("cannot write the configuration into ") + dir.path();
        return false;
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "SWAYSOCK", "I3SOCK"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), swayRuntime);
    env.insert(QStringLiteral("XCURSOR_PATH"), dir.filePath(QStringLiteral("icons")));
    env.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    env.insert(QStringLiteral("WLR_HEADLESS_OUTPUTS"), QString::number(options.outputs.size()));
    if (user)
        env.insert(QStringLiteral("HOME"), dir.path());
    m_sway.setProcessEnvironment(env);
    m_sway.setProcessChannelMode(QProcess::MergedChannels);
    m_sway.setStandardOutputFile(dir.filePath(QStringLiteral("sway.log")));
    m_sway.setChildProcessModifier([asRoot, uid, gid] {
        if (asRoot && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            ::_exit(126);
        // A test that crashes must not leave its compositor behind. Set after the user change,
        // which clears it.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() == 1)
            ::_exit(127);
    });
    m_sway.start(QStringLiteral("sway"),
                 {QStringLiteral("-c"), dir.filePath(QStringLiteral("config"))});
    if (!m_sway.waitForStarted(startTimeoutMs)) {
        m_error = QStringLiteral("cannot run sway: ") + m_sway.errorString();
        return false;
    }
    if (!waitUntilReady(options) || !startFixture()) {
        QFile log(dir.filePath(QStringLiteral("sway.log")));
        if (log.open(QIODevice::ReadOnly))
            m_error += QStringLiteral("; sway's log ends with: ") +
                       QString::fromLocal8Bit(log.readAll().right(2000));
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

bool WaylandSession::waitUntilReady(const Options &options) {
    const QString swayRuntime = QDir(m_dir->path()).filePath(QStringLiteral("sway"));
    const QDeadlineTimer deadline(startTimeoutMs);
    m_error = QStringLiteral("sway did not come up in time");
    while (!deadline.hasExpired()) {
        // Waits a little, and notices at once when sway ends.
        if (m_sway.waitForFinished(10)) {
            m_error = QStringLiteral("sway ended with status %1").arg(m_sway.exitCode());
            return false;
        }
        if (m_socket.isEmpty() || m_ipcSocket.isEmpty()) {
            m_socket = findFile(swayRuntime, QStringLiteral("wayland-[0-9]"));
            m_ipcSocket = findFile(swayRuntime, QStringLiteral("sway-ipc.*.sock"));
            continue;
        }
        m_outputs.clear();
        const QJsonArray reply =
            QJsonDocument::fromJson(
                run(QStringLiteral("swaymsg"),
                    {QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("get_outputs")}))
                .array();
        for (const QJsonValue &value : reply) {
            const QJsonObject o = value.toObject();
            const QJsonObject rect = o.value(QStringLiteral("rect")).toObject();
            const QJsonObject mode = o.value(QStringLiteral("current_mode")).toObject();
            m_outputs.append({o.value(QStringLiteral("name")).toString(),
                              QRect(rect.value(QStringLiteral("x")).toInt(),
                                    rect.value(QStringLiteral("y")).toInt(),
                                    rect.value(QStringLiteral("width")).toInt(),
                                    rect.value(QStringLiteral("height")).toInt()),
                              o.value(QStringLiteral("scale")).toDouble(),
                              QSize(mode.value(QStringLiteral("width")).toInt(),
                                    mode.value(QStringLiteral("height")).toInt())});
        }
        // HEADLESS-1 is the first output of the options, and so on.
        std::sort(m_outputs.begin(), m_outputs.end(),
                  [](const OutputInfo &a, const OutputInfo &b) { return a.name < b.name; });
        bool configured = m_outputs.size() == options.outputs.size();
        for (qsizetype i = 0; configured && i < m_outputs.size(); ++i) {
            const Output &o = options.outputs[i];
            configured = m_outputs[i].geometry.topLeft() == QPoint(o.x, o.y) &&
                         m_outputs[i].pixelSize == QSize(o.width, o.height) &&
                         qFuzzyCompare(m_outputs[i].scale, o.scale);
        }
        if (configured) {
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
        m_error = QStringLiteral("the pointer, keyboard and backgrounds did not come up");
        return false;
    }
    return true;
}

void WaylandSession::stop() {
    if (m_seat.state() != QProcess::NotRunning) {
        m_seat.kill();
        m_seat.waitForFinished(5000);
    }
    if (m_sway.state() != QProcess::NotRunning) {
        ::kill(pid_t(m_sway.processId()), SIGTERM);
        if (!m_sway.waitForFinished(5000)) {
            ::kill(pid_t(m_sway.processId()), SIGKILL);
            m_sway.waitForFinished(5000);
        }
    }
    m_socket.clear();
    m_ipcSocket.clear();
    m_outputs.clear();
    m_dir.reset();
}

QProcessEnvironment WaylandSession::environment() const {
    QProcessEnvironment env;
    if (!m_dir)
        return env;
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), m_socket);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"),
               QDir(m_dir->path()).filePath(QStringLiteral("runtime")));
    env.insert(QStringLiteral("SWAYSOCK"), m_ipcSocket);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    env.insert(QStringLiteral("XCURSOR_PATH"),
               QDir(m_dir->path()).filePath(QStringLiteral("icons")));
    env.insert(QStringLiteral("XCURSOR_THEME"), QStringLiteral("default"));
    return env;
}

QByteArray WaylandSession::run(const QString &program, const QStringList &arguments, int timeoutMs,
                               int *exitCode) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(environment());
    env.remove(QStringLiteral("DISPLAY"));
    return runProgram(program, arguments, env, timeoutMs, exitCode);
}

bool WaylandSession::swaymsg(const QStringList &arguments) const {
    int exitCode = -1;
    run(QStringLiteral("swaymsg"), arguments, 10000, &exitCode);
    return exitCode == 0;
}

bool WaylandSession::moveCursor(QPointF global) const {
    // sway places the point relative to the layout's top left corner.
    QRect layout;
    for (const OutputInfo &output : m_outputs)
        layout |= output.geometry;
    return swaymsg({QStringLiteral("seat"), QStringLiteral("seat0"), QStringLiteral("cursor"),
                    QStringLiteral("set"), QString::number(global.x() - layout.x(), 'f', 8),
                    QString::number(global.y() - layout.y(), 'f', 8)});
}

bool WaylandSession::click(Qt::MouseButton button) const {
    const QString name = button == Qt::RightButton    ? QStringLiteral("button3")
                         : button == Qt::MiddleButton ? QStringLiteral("button2")
                                                      : QStringLiteral("button1");
    const QStringList cursor{QStringLiteral("seat"), QStringLiteral("seat0"),
                             QStringLiteral("cursor")};
    return swaymsg(cursor + QStringList{QStringLiteral("press"), name}) &&
           swaymsg(cursor + QStringList{QStringLiteral("release"), name});
}

bool WaylandSession::typeKeys(const QStringList &wtypeArguments) const {
    int exitCode = -1;
    run(QStringLiteral("wtype"), wtypeArguments, 10000, &exitCode);
    return exitCode == 0;
}

QString WaylandSession::clipboardText(int timeoutMs) const {
    int exitCode = -1;
    const QByteArray text =
        run(QStringLiteral("wl-paste"), {QStringLiteral("--no-newline")}, timeoutMs, &exitCode);
    return exitCode == 0 ? QString::fromUtf8(text) : QString();
}
