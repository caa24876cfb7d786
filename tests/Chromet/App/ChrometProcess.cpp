#include "ChrometProcess.h"

#include "Support/ColorFixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QRect>
#include <QThread>

#include <csignal>
#include <cstdlib>

#include <xcb/xcb.h>

namespace {

constexpr int pollIntervalMs = 5;

} // namespace

ChrometProcess::ChrometProcess() = default;

ChrometProcess::~ChrometProcess() {
    stop();
}

QString ChrometProcess::executable() {
    return QStringLiteral(CHROMET_EXECUTABLE);
}

bool ChrometProcess::start(const Options &options) {
    stop();
    if (options.sameSessionAs) {
        m_base = options.sameSessionAs->m_base;
    } else {
        m_dir = std::make_unique<QTemporaryDir>();
        if (!m_dir->isValid())
            return false;
        m_base = m_dir->path();
        for (const char *sub : {"data", "config", "runtime"})
            QDir(m_base).mkpath(QString::fromLatin1(sub));
        QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QByteArray settings = options.settings;
    const QByteArray section = "[General]\n";
    // A bare X server has no tray; the one-time notice about that would cover the test windows.
    const QByteArray onboarded =
        section + QByteArray("hasCompletedOnboarding=true\nhasSeenNoTrayNotice=true\n");
    if (options.completedOnboarding && !settings.contains("hasCompletedOnboarding")) {
        if (settings.contains(section))
            settings.replace(section, onboarded);
        else if (!options.sameSessionAs || !settings.isNull())
            settings.prepend(onboarded);
    }
    if (!settings.isNull()) {
        QDir().mkpath(QFileInfo(settingsPath()).path());
        QFile file(settingsPath());
        if (!file.open(QIODevice::WriteOnly) || file.write(settings) < 0)
            return false;
    }
    if (!options.library.isNull()) {
        QDir().mkpath(QFileInfo(libraryPath()).path());
        QFile file(libraryPath());
        if (!file.open(QIODevice::WriteOnly) || file.write(options.library) < 0)
            return false;
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    // No session bus in tests: the tray icon takes the XEmbed path.
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.remove(QStringLiteral("QT_SCALE_FACTOR"));
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    env.remove(QStringLiteral("QT_MESSAGE_PATTERN"));
    for (const QString &assignment : options.environment) {
        const qsizetype eq = assignment.indexOf(QLatin1Char('='));
        env.insert(assignment.left(eq), assignment.mid(eq + 1));
    }
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_lines.clear();
    m_partial.clear();
    m_process.start(executable(), {});
    return m_process.waitForStarted(10000);
}

void ChrometProcess::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    readAvailable();
}

bool ChrometProcess::isRunning() const {
    return m_process.state() == QProcess::Running;
}

qint64 ChrometProcess::pid() const {
    return m_process.processId();
}

std::optional<int> ChrometProcess::waitForExit(int timeoutMs) {
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(timeoutMs))
        return std::nullopt;
    readAvailable();
    if (m_process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return m_process.exitCode();
}

QString ChrometProcess::dataHome() const {
    return m_base + QStringLiteral("/data");
}
QString ChrometProcess::configHome() const {
    return m_base + QStringLiteral("/config");
}
QString ChrometProcess::runtimeDir() const {
    return m_base + QStringLiteral("/runtime");
}
QString ChrometProcess::libraryPath() const {
    return dataHome() + QStringLiteral("/Chromet/library.json");
}
QString ChrometProcess::settingsPath() const {
    return configHome() + QStringLiteral("/Chromet/Chromet.conf");
}

bool ChrometProcess::waitUntilReady(int timeoutMs) {
    return waitForLine(QStringLiteral("Chromet: shortcut Ctrl+Alt+C registered"), 0, timeoutMs) >=
           0;
}

bool ChrometProcess::openLoupe(const QPoint &at) {
    if (!Desktop::xdotool(
            {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())}))
        return false;
    const int mark = int(lines().size());
    if (!Desktop::xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+c")}))
        return false;
    if (waitForLine(QStringLiteral("first window ordered front"), mark) < 0)
        return false;
    // The loupe takes the focus and the keyboard once its window is mapped.
    return Desktop::waitFor(
        [this] { return Desktop::windowPid(Desktop::focusedWindow()) == pid(); });
}

bool ChrometProcess::hasVisibleWindow() const {
    int code = -1;
    const QByteArray windows =
        Desktop::run(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                      QStringLiteral("--pid"), QString::number(pid())},
                     &code);
    return code == 0 && !windows.isEmpty();
}

bool ChrometProcess::waitUntilNoVisibleWindow(int timeoutMs) const {
    return Desktop::waitFor([this] { return !hasVisibleWindow(); }, timeoutMs);
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
    int next = from;
    for (;;) {
        readAvailable();
        for (; next < m_lines.size(); ++next) {
            if (m_lines.at(next).contains(text))
                return next;
        }
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            break;
        m_process.waitForReadyRead(int(qBound(qint64(1), deadline.remainingTime(), qint64(100))));
    }
    readAvailable();
    for (; next < m_lines.size(); ++next) {
        if (m_lines.at(next).contains(text))
            return next;
    }
    return -1;
}

QList<QRgb> Desktop::history(const QString &libraryPath) {
    QFile file(libraryPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonArray entries =
        QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("history")).toArray();
    QList<QRgb> colors;
    for (const QJsonValue &entry : entries) {
        const QJsonObject srgb = entry.toObject().value(QStringLiteral("srgb")).toObject();
        const auto byte = [&](const char *key) {
            return qRound(srgb.value(QLatin1String(key)).toDouble() * 255);
        };
        colors.append(qRgb(byte("r"), byte("g"), byte("b")));
    }
    return colors;
}

QByteArray Desktop::run(const QString &program, const QStringList &arguments, int *exitCode,
                        int timeoutMs) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        if (exitCode)
            *exitCode = -1;
        return {};
    }
    if (exitCode)
        *exitCode = process.exitCode();
    return process.readAllStandardOutput().trimmed();
}

QList<quint64> Desktop::windowsOf(qint64 pid, bool all) {
    QStringList arguments{QStringLiteral("search")};
    if (!all)
        arguments << QStringLiteral("--onlyvisible");
    arguments << QStringLiteral("--pid") << QString::number(pid);
    QList<quint64> windows;
    const QList<QByteArray> ids = run(QStringLiteral("xdotool"), arguments).split('\n');
    for (const QByteArray &id : ids) {
        if (const quint64 window = id.trimmed().toULongLong())
            windows.append(window);
    }
    return windows;
}

QRect Desktop::windowGeometry(quint64 window) {
    int code = -1;
    const QByteArray info =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)}, &code);
    if (code != 0)
        return {};
    const auto field = [&](const char *label) {
        const qsizetype at = info.indexOf(label);
        if (at < 0)
            return -1;
        const qsizetype start = at + qstrlen(label);
        const qsizetype end = info.indexOf('\n', start);
        return info.mid(start, end < 0 ? -1 : end - start).trimmed().toInt();
    };
    return QRect(field("Absolute upper-left X:"), field("Absolute upper-left Y:"), field("Width:"),
                 field("Height:"));
}

QList<quint64> Desktop::descendants(quint64 window) {
    const QByteArray tree =
        run(QStringLiteral("xwininfo"),
            {QStringLiteral("-id"), QString::number(window), QStringLiteral("-tree")});
    QList<quint64> windows;
    // Each line of the tree below the window itself begins with its id in hex.
    const QList<QByteArray> lines = tree.split('\n');
    bool below = false;
    for (const QByteArray &line : lines) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.contains("child"))
            below = true;
        if (!below || !trimmed.startsWith("0x"))
            continue;
        bool ok = false;
        const quint64 id = trimmed.left(trimmed.indexOf(' ')).toULongLong(&ok, 16);
        if (ok)
            windows.append(id);
    }
    return windows;
}

quint64 Desktop::findWindow(const QString &name, qint64 pid) {
    QStringList arguments{QStringLiteral("search"), QStringLiteral("--onlyvisible")};
    if (pid)
        arguments << QStringLiteral("--all") << QStringLiteral("--pid") << QString::number(pid);
    arguments << QStringLiteral("--name") << QLatin1Char('^') + name + QLatin1Char('$');
    return run(QStringLiteral("xdotool"), arguments).split('\n').value(0).trimmed().toULongLong();
}

bool Desktop::xdotool(const QStringList &arguments) {
    int code = -1;
    run(QStringLiteral("xdotool"), arguments, &code);
    return code == 0;
}

std::optional<QString> Desktop::clipboard() {
    int code = -1;
    const QByteArray text =
        run(QStringLiteral("xclip"),
            {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")},
            &code, 5000);
    if (code != 0)
        return std::nullopt;
    return QString::fromUtf8(text);
}

QImage Desktop::grabScreen(const QRect &area) {
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    QImage image;
    if (!xcb_connection_has_error(c)) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        xcb_get_image_reply_t *reply = xcb_get_image_reply(
            c,
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(area.x()), int16_t(area.y()),
                          uint16_t(area.width()), uint16_t(area.height()), ~0u),
            nullptr);
        // Depth 24 in 32-bit pixels, as every test server here runs.
        if (reply && xcb_get_image_data_length(reply) == area.width() * area.height() * 4) {
            image =
                QImage(xcb_get_image_data(reply), area.width(), area.height(), QImage::Format_RGB32)
                    .copy();
        }
        std::free(reply);
    }
    xcb_disconnect(c);
    return image;
}

bool Desktop::waitFor(const std::function<bool()> &condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(pollIntervalMs);
    }
    return true;
}

quint64 Desktop::focusedWindow() {
    return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus"), QStringLiteral("-f")})
        .toULongLong();
}

qint64 Desktop::windowPid(quint64 window) {
    if (!window)
        return 0;
    return run(QStringLiteral("xdotool"), {QStringLiteral("getwindowpid"), QString::number(window)})
        .toLongLong();
}

ClipboardHolder::ClipboardHolder(const QString &text)
    : m_text(text) {
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(QStringLiteral("xclip"),
                    {QStringLiteral("-i"), QStringLiteral("-quiet"), QStringLiteral("-selection"),
                     QStringLiteral("clipboard")});
    m_process.waitForStarted();
    m_process.write(text.toUtf8());
    // No event loop runs here: push the text out before closing the pipe.
    m_process.waitForBytesWritten();
    m_process.closeWriteChannel();
}

ClipboardHolder::~ClipboardHolder() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

bool ClipboardHolder::isHolding() {
    return Desktop::waitFor([this] { return Desktop::clipboard() == m_text; }, 5000);
}

ColorFixtureProcess::~ColorFixtureProcess() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

bool ColorFixtureProcess::start(const QRect &geometry) {
    m_geometry = geometry;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("QT_SCALE_FACTOR"));
    m_process.setProcessEnvironment(env);
    m_process.start(QStringLiteral(COLORFIXTURE_EXECUTABLE),
                    {QString::number(geometry.x()), QString::number(geometry.y()),
                     QString::number(geometry.width()), QString::number(geometry.height())});
    if (!m_process.waitForStarted(10000))
        return false;
    QDeadlineTimer deadline(15000);
    QByteArray out;
    while (!out.contains('\n')) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return false;
        m_process.waitForReadyRead(100);
        out += m_process.readAllStandardOutput();
    }
    const QList<QByteArray> words = out.trimmed().split(' ');
    if (words.size() != 2 || words.first() != "ready")
        return false;
    m_window = words.at(1).toULongLong();
    return m_window != 0;
}

QRgb ColorFixtureProcess::rgbAt(const QPoint &global) const {
    const QPoint local = global - m_geometry.topLeft();
    return colorFixturePixel(local.x(), local.y());
}

QString ColorFixtureProcess::hexAt(const QPoint &global) const {
    const QRgb rgb = rgbAt(global);
    return QStringLiteral("#%1%2%3")
        .arg(qRed(rgb), 2, 16, QLatin1Char('0'))
        .arg(qGreen(rgb), 2, 16, QLatin1Char('0'))
        .arg(qBlue(rgb), 2, 16, QLatin1Char('0'))
        .toUpper();
}
