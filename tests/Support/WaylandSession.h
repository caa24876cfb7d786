#pragma once

#include "Support/ColorFixture.h"

#include <QList>
#include <QPointF>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QRgb>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A private headless sway compositor for one test process, stopped again by its process id. Every
// output shows a background whose device pixels all differ (backgroundPixel()), so a picked color
// tells which output and pixel were read; the pointer is invisible, so it is in no screen copy.
// The seat has a pointer and a keyboard (waylandfixture, which also draws the backgrounds). sway
// refuses to run as root: a root test runs it as `nobody`, and root clients still reach its socket.
class WaylandSession {
public:
    struct Output {
        // Mode in device pixels; with a fractional scale, a whole number of logical pixels.
        int width = 1280;
        int height = 720;
        double scale = 1;
        int x = 0; // position in logical (layout) coordinates
        int y = 0;
    };
    struct Options {
        // Default: a scale-1 output and, to its right, a scale-2 one of 640 x 360 logical pixels.
        QList<Output> outputs{{1280, 720, 1, 0, 0}, {1280, 720, 2, 1280, 0}};
    };
    // An output as sway reports it.
    struct OutputInfo {
        QString name;
        QRect geometry; // logical
        double scale = 1;
        QSize pixelSize; // device pixels
    };

    WaylandSession() = default;
    ~WaylandSession() { stop(); }
    WaylandSession(const WaylandSession &) = delete;
    WaylandSession &operator=(const WaylandSession &) = delete;

    // Starts sway, waits until its outputs and backgrounds are up, exports WAYLAND_DISPLAY (a
    // full path), XDG_RUNTIME_DIR, SWAYSOCK, XCURSOR_PATH, XCURSOR_THEME and
    // QT_QPA_PLATFORM=wayland and unsets DISPLAY; false with errorString() set when it cannot.
    bool start(const Options &options);
    bool start() { return start(Options{}); }
    void stop();

    QString errorString() const { return m_error; }
    // The variables above, for child processes that get an environment of their own.
    QProcessEnvironment environment() const;
    QList<OutputInfo> outputs() const { return m_outputs; }

    // Runs a client program (wtype, wl-paste, ...) in this session and returns its stdout.
    QByteArray run(const QString &program, const QStringList &arguments, int timeoutMs = 10000,
                   int *exitCode = nullptr) const;

    // Warps the pointer to a point in logical global coordinates; a point beyond the outputs lands
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

    // The background color of device pixel (x, y) of output `index`.
    static QRgb backgroundPixel(int index, int x, int y) {
        return colorFixturePixel(x, y, colorFixtureBlue(index));
    }

private:
    // swaymsg ARGUMENTS; true when sway accepted every command.
    bool swaymsg(const QStringList &arguments) const;
    bool waitUntilReady(const Options &options);
    // Starts waylandfixture: the seat's pointer and keyboard, the backgrounds.
    bool startFixture();

    QProcess m_sway;
    QProcess m_seat;
    std::unique_ptr<QTemporaryDir> m_dir;
    QList<OutputInfo> m_outputs;
    QString m_socket;
    QString m_ipcSocket;
    QString m_error;
};
