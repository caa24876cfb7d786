// The running application, measured from outside as a user meets it: from the shortcut's key
// press (sent through XTEST) to the first loupe window being mapped, to its first paint (the X
// Damage extension reports the first drawing into it) and to the loupe becoming visible: the 8 x 8
// pixels under the pointer, read from the X server by this second client, change. Timed for the
// first pick after launch, for later ones, and for the first pick after the application has given
// its idle memory back, at 1920x1080 and 3840x2160. Then what the application costs while it
// waits (CPU time, wake-ups, resident memory) over 30 seconds after launch, after a pick and in
// the steady state, at both sizes. `AppBench --picks` or `AppBench --idle` runs one part only.

#include "BenchTimer.h"

#include "Support/XServerSession.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>
#include <xcb/xtest.h>
#ifdef CHROMET_HAVE_XCB_DAMAGE
#include <xcb/damage.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {

constexpr int coldRuns = 10;
constexpr int warmRuns = 15;
constexpr int idleSeconds = 30;
// The application's log line once it has given its idle memory back.
const char releasedLine[] = "idle: capture buffers and window pixels given back";

double median(std::vector<double> values) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The bench's own X connection: XTEST input, map notifications of top-level windows, screen
// reads and server time stamps.
class Desk {
public:
    Desk() {
        m_c = xcb_connect(nullptr, nullptr);
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data;
        m_root = screen->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_c, m_root, XCB_CW_EVENT_MASK, &mask);
        m_clock = xcb_generate_id(m_c);
        const uint32_t clockMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_c, 0, m_clock, m_root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &clockMask);
        m_control = keycode(0xffe3); // Control_L
        m_alt = keycode(0xffe9);     // Alt_L
        m_c_key = keycode('c');
        m_escape = keycode(0xff1b);
#ifdef CHROMET_HAVE_XCB_DAMAGE
        const xcb_query_extension_reply_t *damage = xcb_get_extension_data(m_c, &xcb_damage_id);
        if (damage && damage->present) {
            std::free(xcb_damage_query_version_reply(
                m_c,
                xcb_damage_query_version(m_c, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
                nullptr));
            m_damageEvent = damage->first_event + XCB_DAMAGE_NOTIFY;
        }
#endif
        xcb_flush(m_c);
    }

    // Whether first drawing into a window can be seen (the X Damage extension).
    bool canWatchDrawing() const {
        return m_damageEvent != 0;
    }

    // Starts watching drawing into `window`.
    void watchDrawing(xcb_window_t window) {
#ifdef CHROMET_HAVE_XCB_DAMAGE
        if (!m_damageEvent)
            return;
        m_damage = xcb_generate_id(m_c);
        // Every drawing is reported; the one the server reports for the window as it stands
        // when the watch begins comes before the reply to a round trip and is dropped.
        xcb_damage_create(m_c, m_damage, window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_c))
            remember(event);
        m_drawn = false;
#else
        Q_UNUSED(window);
#endif
    }
    // Waits until something was drawn into the watched window; false on timeout.
    bool waitForDrawing(int timeoutMs) {
        QDeadlineTimer deadline(timeoutMs);
        while (!m_drawn && !deadline.hasExpired()) {
            if (xcb_generic_event_t *event = nextEvent(1))
                remember(event);
        }
        return m_drawn;
    }
    void stopWatchingDrawing() {
#ifdef CHROMET_HAVE_XCB_DAMAGE
        if (m_damage)
            xcb_damage_destroy(m_c, m_damage);
        m_damage = 0;
        xcb_flush(m_c);
#endif
    }
    ~Desk() {
        xcb_disconnect(m_c);
    }

    bool ok() const {
        return !xcb_connection_has_error(m_c) && m_control && m_alt && m_c_key;
    }

    void movePointer(QPoint to) {
        xcb_test_fake_input(m_c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root, int16_t(to.x()),
                            int16_t(to.y()), 0);
        xcb_flush(m_c);
    }
    void pressShortcut() {
        fake(XCB_KEY_PRESS, m_control);
        fake(XCB_KEY_PRESS, m_alt);
        fake(XCB_KEY_PRESS, m_c_key);
        fake(XCB_KEY_RELEASE, m_c_key);
        fake(XCB_KEY_RELEASE, m_alt);
        fake(XCB_KEY_RELEASE, m_control);
        xcb_flush(m_c);
    }
    void pressEscape() {
        fake(XCB_KEY_PRESS, m_escape);
        fake(XCB_KEY_RELEASE, m_escape);
        xcb_flush(m_c);
    }

    // The server's time now, in milliseconds (a property change's time stamp).
    std::optional<quint32> serverTime(int timeoutMs = 1000) {
        const char name[] = "CHROMET_BENCH_CLOCK";
        xcb_intern_atom_reply_t *atom =
            xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, sizeof name - 1, name), nullptr);
        if (!atom)
            return std::nullopt;
        xcb_change_property(m_c, XCB_PROP_MODE_APPEND, m_clock, atom->atom, XCB_ATOM_STRING, 8, 0,
                            nullptr);
        std::free(atom);
        xcb_flush(m_c);
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            xcb_generic_event_t *event = nextEvent(1);
            if (!event)
                continue;
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
                const quint32 time = reinterpret_cast<xcb_property_notify_event_t *>(event)->time;
                std::free(event);
                return time;
            }
            remember(event);
        }
        return std::nullopt;
    }

    // Waits for a top-level window to be mapped; its id, or 0 on timeout.
    xcb_window_t waitForMap(int timeoutMs) {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            if (!m_maps.empty()) {
                const xcb_window_t w = m_maps.front();
                m_maps.erase(m_maps.begin());
                return w;
            }
            if (xcb_generic_event_t *event = nextEvent(1))
                remember(event);
        }
        return 0;
    }
    void forgetEvents() {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_c))
            std::free(event);
        m_maps.clear();
        m_mapped = 0;
    }
    // Top-level windows mapped minus unmapped since forgetEvents().
    int mappedBalance() {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_c))
            remember(event);
        return m_mapped;
    }

    QByteArray pixels(const QRect &area) {
        xcb_get_image_reply_t *reply = xcb_get_image_reply(
            m_c,
            xcb_get_image(m_c, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, int16_t(area.x()),
                          int16_t(area.y()), uint16_t(area.width()), uint16_t(area.height()), ~0u),
            nullptr);
        QByteArray bytes;
        if (reply) {
            bytes = QByteArray(reinterpret_cast<const char *>(xcb_get_image_data(reply)),
                               xcb_get_image_data_length(reply));
            std::free(reply);
        }
        return bytes;
    }

private:
    xcb_keycode_t keycode(xcb_keysym_t keysym) {
        const xcb_setup_t *setup = xcb_get_setup(m_c);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        xcb_get_keyboard_mapping_reply_t *map = xcb_get_keyboard_mapping_reply(
            m_c, xcb_get_keyboard_mapping(m_c, setup->min_keycode, uint8_t(count)), nullptr);
        if (!map)
            return 0;
        const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(map);
        xcb_keycode_t found = 0;
        for (int k = 0; k < count && !found; ++k) {
            for (int i = 0; i < map->keysyms_per_keycode && !found; ++i) {
                if (syms[k * map->keysyms_per_keycode + i] == keysym)
                    found = xcb_keycode_t(setup->min_keycode + k);
            }
        }
        std::free(map);
        return found;
    }
    void fake(uint8_t type, xcb_keycode_t key) {
        xcb_test_fake_input(m_c, type, key, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    }
    xcb_generic_event_t *nextEvent(int waitMs) {
        if (xcb_generic_event_t *event = xcb_poll_for_event(m_c))
            return event;
        QThread::usleep(quint64(waitMs) * 100);
        return xcb_poll_for_event(m_c);
    }
    void remember(xcb_generic_event_t *event) {
        const quint8 type = event->response_type & 0x7f;
        if (type == XCB_MAP_NOTIFY) {
            m_maps.push_back(reinterpret_cast<xcb_map_notify_event_t *>(event)->window);
            ++m_mapped;
        } else if (type == XCB_UNMAP_NOTIFY) {
            --m_mapped;
        } else if (m_damageEvent && type == m_damageEvent) {
            m_drawn = true;
        }
        std::free(event);
    }

    xcb_connection_t *m_c = nullptr;
    xcb_window_t m_root = 0;
    xcb_window_t m_clock = 0;
    xcb_keycode_t m_control = 0;
    xcb_keycode_t m_alt = 0;
    xcb_keycode_t m_c_key = 0;
    xcb_keycode_t m_escape = 0;
    std::vector<xcb_window_t> m_maps;
    int m_mapped = 0;
    quint8 m_damageEvent = 0;
    quint32 m_damage = 0;
    bool m_drawn = false;
};

struct ProcStat {
    double cpuSeconds = 0; // every thread, ended ones included
    // Per thread id: voluntary and involuntary context switches.
    QHash<QString, std::pair<qint64, qint64>> switches;
    qint64 rssKiB = 0;
    int threads = 0;
};

// Wake-ups between two samples: the voluntary switches of the threads seen in both, all of a
// thread that started in between, and one for each thread that ended (it woke up to end).
struct Wakeups {
    qint64 voluntary = 0;
    qint64 involuntary = 0;
    int started = 0;
    int ended = 0;
};

Wakeups wakeupsBetween(const ProcStat &before, const ProcStat &after) {
    Wakeups w;
    for (auto it = after.switches.cbegin(); it != after.switches.cend(); ++it) {
        const auto was = before.switches.value(it.key(), {0, 0});
        if (!before.switches.contains(it.key()))
            ++w.started;
        w.voluntary += it->first - was.first;
        w.involuntary += it->second - was.second;
    }
    for (auto it = before.switches.cbegin(); it != before.switches.cend(); ++it) {
        if (!after.switches.contains(it.key())) {
            ++w.ended;
            ++w.voluntary;
        }
    }
    return w;
}

ProcStat procStat(qint64 pid) {
    ProcStat stat;
    QFile statFile(QStringLiteral("/proc/%1/stat").arg(pid));
    if (statFile.open(QIODevice::ReadOnly)) {
        const QByteArray text = statFile.readAll();
        // Fields after the command name, which is in parentheses and may hold spaces.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        const double ticks = double(sysconf(_SC_CLK_TCK));
        stat.cpuSeconds = (fields.value(11).toLongLong() + fields.value(12).toLongLong()) / ticks;
    }
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task + QStringLiteral("/status")));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        ++stat.threads;
        auto &counts = stat.switches[task];
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:"))
                counts.first = line.mid(24).trimmed().toLongLong();
            else if (line.startsWith("nonvoluntary_ctxt_switches:"))
                counts.second = line.mid(27).trimmed().toLongLong();
        }
    }
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                stat.rssKiB = line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return stat;
}

// One run of the application in folders of its own, with its log.
class App {
public:
    bool start(const QStringList &environment = {}) {
        for (const char *sub : {"data", "config/Chromet", "runtime"})
            QDir(m_dir.path()).mkpath(QString::fromLatin1(sub));
        // A returning user: the welcome window (and its once-a-second check) is not measured.
        QFile settings(m_dir.filePath(QStringLiteral("config/Chromet/Chromet.conf")));
        if (!settings.open(QIODevice::WriteOnly) ||
            settings.write("[General]\nhasCompletedOnboarding=true\nhasSeenNoTrayNotice=true\n") <
                0)
            return false;
        settings.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("runtime")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        for (const QString &assignment : environment)
            env.insert(assignment.section(QLatin1Char('='), 0, 0),
                       assignment.section(QLatin1Char('='), 1));
        m_process.setProcessEnvironment(env);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.start(QStringLiteral(CHROMET_EXECUTABLE), {});
        return m_process.waitForStarted() &&
               waitForLine(QStringLiteral("Chromet: shortcut Ctrl+Alt+C registered"), 20000);
    }
    ~App() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    qint64 pid() const { return m_process.processId(); }

    bool waitForLine(const QString &text, int timeoutMs) {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            m_log += QString::fromUtf8(m_process.readAllStandardError());
            const qsizetype at = m_log.indexOf(text, m_searchFrom);
            if (at >= 0) {
                m_searchFrom = at + text.size();
                return true;
            }
            if (deadline.hasExpired() || m_process.state() != QProcess::Running)
                return false;
            m_process.waitForReadyRead(20);
        }
    }
    // The milliseconds of the next "first window ordered front ... ms after toggle" line.
    std::optional<double> toggleToFrontMs(int timeoutMs) {
        const qsizetype from = m_searchFrom;
        if (!waitForLine(QStringLiteral(" ms after toggle"), timeoutMs))
            return std::nullopt;
        static const QRegularExpression number(
            QStringLiteral("first window ordered front ([0-9.]+) ms after toggle"));
        const QRegularExpressionMatch match = number.match(m_log, from);
        if (!match.hasMatch())
            return std::nullopt;
        return match.captured(1).toDouble();
    }
    // Waits until the process has used no CPU for `quietMs`.
    void waitUntilIdle(int quietMs = 300, int timeoutMs = 10000) {
        QDeadlineTimer deadline(timeoutMs);
        double last = procStat(pid()).cpuSeconds;
        QElapsedTimer quiet;
        quiet.start();
        while (!deadline.hasExpired() && quiet.elapsed() < quietMs) {
            QThread::msleep(50);
            const double now = procStat(pid()).cpuSeconds;
            if (now != last) {
                last = now;
                quiet.restart();
            }
        }
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_log;
    qsizetype m_searchFrom = 0;
};

struct PickTiming {
    double mappedMs = -1;
    double drawnMs = -1;   // the window's first drawing, whatever it shows
    double paintedMs = -1; // the first change of the pixels around the pointer
    double loggedMs = -1;
    double serverMappedMs = -1; // by the X server's clock, whole milliseconds
};

// One pick opened by the shortcut and closed again with Escape.
std::optional<PickTiming> timePick(Desk &desk, App &app, const QPoint &at) {
    desk.movePointer(at);
    const QRect patch(at - QPoint(4, 4), QSize(8, 8));
    const QByteArray before = desk.pixels(patch);
    desk.forgetEvents();

    PickTiming timing;
    QElapsedTimer clock;
    clock.start();
    desk.pressShortcut();
    const std::optional<quint32> keyTime = desk.serverTime();
    const xcb_window_t window = desk.waitForMap(5000);
    if (!window)
        return std::nullopt;
    timing.mappedMs = double(clock.nsecsElapsed()) / 1e6;
    // The window is drawn only after the server has sent it an Expose, which went out with our
    // MapNotify; the watch is in place well before the application's drawing arrives.
    desk.watchDrawing(window);
    const std::optional<quint32> mapTime = desk.serverTime();
    if (keyTime && mapTime)
        timing.serverMappedMs = double(*mapTime - *keyTime);
    if (desk.canWatchDrawing()) {
        if (desk.waitForDrawing(5000))
            timing.drawnMs = double(clock.nsecsElapsed()) / 1e6;
        desk.stopWatchingDrawing();
    }
    QDeadlineTimer deadline(5000);
    while (desk.pixels(patch) == before) {
        if (deadline.hasExpired())
            return std::nullopt;
        QThread::usleep(100);
    }
    timing.paintedMs = double(clock.nsecsElapsed()) / 1e6;
    if (const auto logged = app.toggleToFrontMs(5000))
        timing.loggedMs = *logged;

    desk.pressEscape();
    // The windows leave 0.18 s after the close; wait until every one has.
    QDeadlineTimer closing(5000);
    while (desk.mappedBalance() > 0 && !closing.hasExpired())
        QThread::msleep(5);
    app.waitUntilIdle(150);
    return timing;
}

void report(const char *label, const std::vector<PickTiming> &runs) {
    std::vector<double> mapped, drawn, painted, logged, server;
    for (const PickTiming &t : runs) {
        mapped.push_back(t.mappedMs);
        drawn.push_back(t.drawnMs);
        painted.push_back(t.paintedMs);
        logged.push_back(t.loggedMs);
        server.push_back(t.serverMappedMs);
    }
    char name[128];
    std::snprintf(name, sizeof name, "%s: key press to window mapped", label);
    printFigure(name, median(mapped), "ms");
    std::snprintf(name, sizeof name, "%s: key press to first paint", label);
    printFigure(name, median(drawn), "ms");
    std::snprintf(name, sizeof name, "%s: key press to loupe visible", label);
    printFigure(name, median(painted), "ms");
    std::snprintf(name, sizeof name, "%s: toggle to window front (log)", label);
    printFigure(name, median(logged), "ms");
    std::snprintf(name, sizeof name, "%s: key to mapped, X server clock", label);
    printFigure(name, median(server), "ms");
}

bool benchScreen(const QString &size, const QStringList &environment, const char *label) {
    XServerSession server;
    XServerSession::Options options;
    options.screenSize = size;
    if (!server.start(options)) {
        std::fprintf(stderr, "cannot start Xvfb: %s\n", qPrintable(server.errorString()));
        return false;
    }
    QProcess fixture;
    fixture.setProcessEnvironment([] {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        return env;
    }());
    fixture.start(QStringLiteral(COLORFIXTURE_EXECUTABLE),
                  {QStringLiteral("100"), QStringLiteral("100"), QStringLiteral("1024"),
                   QStringLiteral("768")});
    if (!fixture.waitForReadyRead(15000)) {
        std::fprintf(stderr, "the fixture window did not come up\n");
        return false;
    }
    Desk desk;
    if (!desk.ok()) {
        std::fprintf(stderr, "no X connection or no keys for Ctrl+Alt+C\n");
        return false;
    }

    const QPoint at(500, 400);
    std::vector<PickTiming> cold;
    std::vector<PickTiming> released;
    std::vector<PickTiming> warm;
    for (int run = 0; run < coldRuns; ++run) {
        App app;
        if (!app.start(environment)) {
            std::fprintf(stderr, "chromet did not start\n");
            return false;
        }
        app.waitUntilIdle();
        const auto first = timePick(desk, app, at + QPoint(run, run));
        if (!first) {
            std::fprintf(stderr, "the first pick did not show\n");
            return false;
        }
        cold.push_back(*first);
        // Idle until the memory kept for quick picks is given back, then pick again.
        if (!app.waitForLine(QString::fromLatin1(releasedLine), 30000)) {
            std::fprintf(stderr, "chromet did not give its idle memory back\n");
            return false;
        }
        app.waitUntilIdle();
        const auto afterRelease = timePick(desk, app, at + QPoint(2 * run, run));
        if (!afterRelease) {
            std::fprintf(stderr, "the pick after the idle release did not show\n");
            return false;
        }
        released.push_back(*afterRelease);
        if (run + 1 < coldRuns)
            continue;
        for (int i = 0; i < warmRuns; ++i) {
            const auto later = timePick(desk, app, at + QPoint(3 * i, 2 * i));
            if (!later) {
                std::fprintf(stderr, "a later pick did not show\n");
                return false;
            }
            warm.push_back(*later);
        }
    }
    char name[96];
    std::snprintf(name, sizeof name, "%s first pick", label);
    report(name, cold);
    std::snprintf(name, sizeof name, "%s after idle release", label);
    report(name, released);
    std::snprintf(name, sizeof name, "%s later picks", label);
    report(name, warm);
    fixture.kill();
    fixture.waitForFinished();
    return true;
}

void reportIdle(const QString &label, const char *window, const ProcStat &before,
                const ProcStat &after) {
    const Wakeups w = wakeupsBetween(before, after);
    const QByteArray prefix = label.toUtf8() + " idle 30 s " + window;
    auto figure = [&](const char *what, double value, const char *unit) {
        const QByteArray name = prefix + ": " + what;
        printFigure(name.constData(), value, unit);
    };
    figure("CPU time", (after.cpuSeconds - before.cpuSeconds) * 1000, "ms");
    figure("wake-ups", double(w.voluntary), "");
    figure("involuntary switches", double(w.involuntary), "");
    figure("threads ended", double(w.ended), "");
    figure("resident memory", double(after.rssKiB) / 1024, "MiB");
}

// Idle cost on one display size: the 30 s after launch, the 30 s after a pick, then 30 s more.
bool benchIdle(const QString &size) {
    XServerSession server;
    XServerSession::Options options;
    options.screenSize = size + QStringLiteral("x24");
    if (!server.start(options)) {
        std::fprintf(stderr, "cannot start Xvfb: %s\n", qPrintable(server.errorString()));
        return false;
    }
    Desk desk;
    App app;
    if (!desk.ok() || !app.start())
        return false;
    ProcStat before = procStat(app.pid());
    QThread::sleep(idleSeconds);
    ProcStat after = procStat(app.pid());
    reportIdle(size, "after launch", before, after);

    if (!timePick(desk, app, QPoint(400, 300)))
        return false;
    before = procStat(app.pid());
    QThread::sleep(idleSeconds);
    after = procStat(app.pid());
    reportIdle(size, "after a pick", before, after);

    before = after;
    QThread::sleep(idleSeconds);
    after = procStat(app.pid());
    reportIdle(size, "steady", before, after);
    return true;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    // --picks or --idle runs only that part.
    const bool picks = !app.arguments().contains(QStringLiteral("--idle"));
    const bool idle = !app.arguments().contains(QStringLiteral("--picks"));
    bool ok = true;
    if (picks) {
        ok = benchScreen(QStringLiteral("1920x1080x24"), {}, "1920x1080") && ok;
        ok = benchScreen(QStringLiteral("3840x2160x24"), {}, "3840x2160") && ok;
        ok = benchScreen(QStringLiteral("3840x2160x24"), {QStringLiteral("QT_SCALE_FACTOR=2")},
                         "3840x2160 at 2x") &&
             ok;
    }
    if (idle) {
        ok = benchIdle(QStringLiteral("1920x1080")) && ok;
        ok = benchIdle(QStringLiteral("3840x2160")) && ok;
    }
    return ok ? 0 : 1;
}
