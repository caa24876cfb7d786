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

    // Starts sway with HEADLESS-1 (1200 x 720 device pixels at scale 1.5) and HEADLESS-2 (1280 x
    // 720 at scale 2, at x 800 points) side by side, exports environment() and unsets DISPLAY.
    bool start();
    void stop();

    QString errorString() const { return m_error; }
    // WAYLAND_DISPLAY (a full path), XDG_RUNTIME_DIR, SWAYSOCK, XCURSOR_PATH, XCURSOR_THEME and
    // QT_QPA_PLATFORM=wayland, for child processes that get an environment of their own.
    QProcessEnvironment environment() const;
    // Runs a client program (swaymsg, wl-copy, ...) in this session and returns its stdout.
    QByteArray run(const QString &program, const QStringList &arguments,
                   int *exitCode = nullptr) const;

    // Warps the pointer to a point in global points. Clients get points of wl_fixed's 1/256 grid
    // exactly; a surface the pointer arrives on gets an enter event there, not a motion.
    bool moveCursor(QPointF global) const;
    bool click() const; // the left button, where the pointer is
    // wtype ARGUMENTS to the focused client, e.g. {"-k", "Escape"}.
    bool typeKeys(const QStringList &wtypeArguments) const;
    // The clipboard's text; null when it is empty or does not answer in time.
    QString clipboardText() const;
    // The background's color at a global point: that of the device pixel the point lies in.
    static QRgb backgroundAt(QPointF global);

private:
    bool succeeds(const QString &program, const QStringList &arguments) const;
    bool waitUntilReady();
    bool startFixture(); // waylandfixture: the seat's pointer and keyboard, the backgrounds

    QProcess m_sway;
    QProcess m_seat;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_socket;
    QString m_ipcSocket;
    QString m_error;
};
