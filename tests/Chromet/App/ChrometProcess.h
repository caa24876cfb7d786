#pragma once

#include <QByteArray>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QRgb>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

// The real `chromet` executable run as a tray application on the test's X server, in folders of
// its own: XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR are fresh temporary folders, so the
// library, the settings and the one-instance lock belong to this run only. Its stderr (the log)
// is collected line by line.
class ChrometProcess {
public:
    struct Options {
        // The settings file's text, written before launch (nothing: no file).
        QByteArray settings;
        // Onboarding counts as finished: hasCompletedOnboarding=true is added to the settings
        // (a settings file of a shared session is left as it is). False: a first launch.
        bool completedOnboarding = true;
        // The library file's text, written before launch (nothing: no file).
        QByteArray library;
        // More environment, "NAME=value".
        QStringList environment;
        // Share the folders of another run (a second instance in the same session).
        const ChrometProcess *sameSessionAs = nullptr;
    };

    ChrometProcess();
    ~ChrometProcess();
    ChrometProcess(const ChrometProcess &) = delete;
    ChrometProcess &operator=(const ChrometProcess &) = delete;

    static QString executable();

    // Starts it on $DISPLAY; false when it does not start.
    bool start(const Options &options);
    bool start() { return start(Options{}); }
    // Ends it (SIGTERM, then SIGKILL after a deadline) and waits for it.
    void stop();

    bool isRunning() const;
    qint64 pid() const;
    // Waits for the process to end by itself; its exit code, or nothing on timeout or crash.
    std::optional<int> waitForExit(int timeoutMs);

    QString dataHome() const;
    QString configHome() const;
    QString runtimeDir() const;
    QString libraryPath() const;
    QString settingsPath() const;

    // Waits for the shortcut to be registered: the application is ready to pick.
    bool waitUntilReady(int timeoutMs = 20000);
    // Puts the pointer at `at`, presses Ctrl+Alt+C and waits until the loupe is up and holds the
    // keyboard.
    bool openLoupe(const QPoint &at);
    // Whether a window of this process is on screen, and waiting until none is.
    bool hasVisibleWindow() const;
    bool waitUntilNoVisibleWindow(int timeoutMs = 30000) const;

    // The log lines read so far (reading what has arrived first).
    QStringList lines();
    // Waits until a line at index >= `from` contains `text`; its index, or -1 on timeout.
    int waitForLine(const QString &text, int from = 0, int timeoutMs = 30000);

private:
    void readAvailable();

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_base;
    QProcess m_process;
    QByteArray m_partial;
    QStringList m_lines;
};

// Helpers against the test's X server ($DISPLAY).
namespace Desktop {

// The windows of a process, those on screen only unless `all`.
QList<quint64> windowsOf(qint64 pid, bool all = false);
// A window's frame on the root window (device pixels); empty when it is gone.
QRect windowGeometry(quint64 window);
// Every window below `window` in the window tree.
QList<quint64> descendants(quint64 window);
// The first window on screen whose name matches the regular expression exactly, of any process
// when `pid` is 0; 0 when there is none.
quint64 findWindow(const QString &name, qint64 pid = 0);

// Runs a program and returns its stdout (trimmed); `exitCode` is -1 on timeout or crash.
// The library file's history: the sRGB channels of each entry as bytes, most recent first.
QList<QRgb> history(const QString &libraryPath);
QByteArray run(const QString &program, const QStringList &arguments, int *exitCode = nullptr,
               int timeoutMs = 30000);
bool xdotool(const QStringList &arguments);
// The clipboard's text, or nothing when no client owns it.
std::optional<QString> clipboard();
// The screen's pixels in a rectangle of the root window (device pixels), as RGB32.
QImage grabScreen(const QRect &area);
// Polls `condition` until it holds or the deadline passes.
bool waitFor(const std::function<bool()> &condition, int timeoutMs = 30000);
// The window holding the keyboard focus, and the process that owns it (0 when unknown).
quint64 focusedWindow();
qint64 windowPid(quint64 window);

} // namespace Desktop

// Owns the clipboard with a fixed text (xclip in the foreground) until destroyed.
class ClipboardHolder {
public:
    explicit ClipboardHolder(const QString &text);
    ~ClipboardHolder();
    bool isHolding();

private:
    QProcess m_process;
    QString m_text;
};

// A colorfixture window (tests/Support/ColorFixture.h) on $DISPLAY.
class ColorFixtureProcess {
public:
    ~ColorFixtureProcess();
    // Opens it at the geometry (device pixels) and waits until it is on screen.
    bool start(const QRect &geometry);
    quint64 window() const { return m_window; }
    QRect geometry() const { return m_geometry; }
    // The code of the pixel at a global position, "#RRGGBB".
    QString hexAt(const QPoint &global) const;
    QRgb rgbAt(const QPoint &global) const;

private:
    QProcess m_process;
    quint64 m_window = 0;
    QRect m_geometry;
};

// main() for end-to-end tests on one Xvfb screen of the given size ("1280x800x24").
#define CHROMET_E2E_MAIN(TestObject, size)                                                         \
    int main(int argc, char **argv) {                                                              \
        XServerSession server;                                                                     \
        XServerSession::Options options;                                                           \
        options.screenSize = QStringLiteral(size);                                                 \
        if (!server.start(options)) {                                                              \
            qCritical("cannot start X server: %s", qPrintable(server.errorString()));              \
            return 1;                                                                              \
        }                                                                                          \
        QCoreApplication app(argc, argv);                                                          \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
