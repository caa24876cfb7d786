#pragma once

#include <QPointF>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRgb>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A private headless sway compositor for one test process, stopped again by its process id. Every
// output shows a background whose device pixels all differ (backgroundAt()), so a picked color
// tells which output and pixel were read; the pointer is invisible, so it is in no screen copy.
// The seat has a pointer and a keyboard (waylandfixture, which also draws the backgrounds). sway
// refuses to run as root: a root test runs it as `nobody`, and root clients still reach its socket.
class WaylandSession {
public:
    WaylandSession() = default;
    ~WaylandSession() { stop(); }
    WaylandSession(const WaylandSession &) = delete;
    WaylandSession &operator=(const WaylandSession &) = delete;

    // Starts sway with two outputs side by side: HEADLESS-1 of 1200 x 720 device pixels at scale
    // 1.5 (800 x 480 points), HEADLESS-2 of 1280 x 720 at scale 2 (640 x 360 points at x 800).
    // Waits until they and their backgrounds are up, exports WAYLAND_DISPLAY (a full path),
    // XDG_RUNTIME_DIR, SWAYSOCK, XCURSOR_PATH, XCURSOR_THEME and QT_QPA_PLATFORM=wayland and
    // unsets DISPLAY; false with errorString() set when it cannot.
    bool start();
    void stop();

    QString errorString() const { return m_error; }
    // The variables above, for child processes that get an environment of their own.
    QProcessEnvironment environment() const;

    // Runs a client program (wtype, wl-paste, ...) in this session and returns its stdout.
    QByteArray run(const QString &program, const QStringList &arguments, int timeoutMs = 10000,
                   int *exitCode = nullptr) const;

    // Warps the pointer to a point in global points; a point beyond the outputs lands
    // on the nearest whole pixel inside. Clients get points of the 1/256 grid of wl_fixed exactly
    // (sway passes them through a float, but the error stays far below 1/512). A surface the
    // pointer arrives on gets an enter event at the point, not a motion.
    bool moveCursor(QPointF global) const;
    // Presses and releases the left button where the pointer is.
    bool click() const;
    // wtype ARGUMENTS through the virtual keyboard to the focused client, e.g. {"-k", "Escape"}
    // or {"-M", "shift", "-k", "Right", "-m", "shift"}.
    bool typeKeys(const QStringList &wtypeArguments) const;
    // The clipboard's text; null when it is empty or does not answer in time.
    QString clipboardText(int timeoutMs = 5000) const;

    // The background's color at a global point: that of the device pixel the point lies in.
    static QRgb backgroundAt(QPointF global);

private:
    // swaymsg ARGUMENTS; true when sway accepted every command.
    bool swaymsg(const QStringList &arguments) const;
    bool waitUntilReady();
    // Starts waylandfixture: the seat's pointer and keyboard, the backgrounds.
    bool startFixture();

    QProcess m_sway;
    QProcess m_seat;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_socket;
    QString m_ipcSocket;
    QString m_error;
};
