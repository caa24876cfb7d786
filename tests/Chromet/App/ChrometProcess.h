#pragma once

#include "Support/RunProgram.h"

#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QRgb>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

// Helpers against the test's X server ($DISPLAY).
namespace Desktop {

// Runs a program and returns its stdout (trimmed); `exitCode` is -1 on timeout or crash.
QByteArray run(const QString &program, const QStringList &arguments, int *exitCode = nullptr,
               int timeoutMs = 30000);
bool movePointer(const QPoint &to);

// The windows of a process on screen.
QList<quint64> windowsOf(qint64 pid);
// The window holding the keyboard focus, and the process that owns a window (0 when unknown).
quint64 focusedWindow();
qint64 windowPid(quint64 window);
// The clipboard's text, or nothing when no client owns it.
std::optional<QString> clipboard();
// Another client (xclip, in the background) owns the clipboard with `text`.
bool setClipboard(const QString &text);
// The library file's history: the sRGB channels of each entry as bytes, most recent first.
QList<QRgb> history(const QString &libraryPath);

} // namespace Desktop

// The real `chromet` executable run as a tray application on the test's X server, in folders of
// its own: XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR are fresh temporary folders, so the
// library, the settings and the one-instance lock belong to this run only; onboarding counts as
// done. Its stderr (the log) is collected line by line.
class ChrometProcess {
public:
    struct Options {
        // The settings file's [General] lines, written before launch.
        QByteArray settings;
        // More environment, "NAME=value".
        QStringList environment;
        // Share the folders of another run (a second instance in the same session).
        const ChrometProcess *sameSessionAs = nullptr;
    };

    ChrometProcess() = default;
    ~ChrometProcess() { stop(); }
    ChrometProcess(const ChrometProcess &) = delete;
    ChrometProcess &operator=(const ChrometProcess &) = delete;

    static QString executable() { return QStringLiteral(CHROMET_EXECUTABLE); }

    bool start(const Options &options);
    bool start() { return start(Options{}); }
    // Ends it (SIGTERM, then SIGKILL after a deadline) and waits for it.
    void stop();

    bool isRunning() const { return m_process.state() == QProcess::Running; }
    qint64 pid() const { return m_process.processId(); }
    // Waits for the process to end by itself; its exit code, or nothing on timeout or crash.
    std::optional<int> waitForExit(int timeoutMs);

    QString dataHome() const { return m_base + QStringLiteral("/data"); }
    QString configHome() const { return m_base + QStringLiteral("/config"); }
    QString runtimeDir() const { return m_base + QStringLiteral("/runtime"); }
    QString libraryPath() const { return dataHome() + QStringLiteral("/Chromet/library.json"); }
    // What it runs with, for `chromet pick` and the like in the same session.
    QProcessEnvironment environment() const { return m_process.processEnvironment(); }

    // Waits for the shortcut to be registered: the application is ready to pick.
    bool waitUntilReady() {
        return waitForLine(QStringLiteral("shortcut Ctrl+Alt+C registered")) >= 0;
    }
    // Puts the pointer at `at`, presses Ctrl+Alt+C and waits until the loupe is up and holds the
    // keyboard.
    bool openLoupe(const QPoint &at);
    // Whether a window of this process is on screen, and waiting until none is.
    bool hasVisibleWindow() const { return !Desktop::windowsOf(pid()).isEmpty(); }
    bool waitUntilNoVisibleWindow() const {
        return QTest::qWaitFor([this] { return !hasVisibleWindow(); }, 30000);
    }

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

// A colorfixture window (tests/Support/ColorFixture.h) on $DISPLAY.
class ColorFixtureProcess {
public:
    ~ColorFixtureProcess();
    // Opens it at the geometry (device pixels) and waits until it is on screen.
    bool start(const QRect &geometry);
    quint64 window() const { return m_window; }
    // The pixel at a global position, and its code "#RRGGBB".
    QRgb rgbAt(const QPoint &global) const;
    QString hexAt(const QPoint &global) const;

private:
    QProcess m_process;
    quint64 m_window = 0;
    QRect m_geometry;
};
