#pragma once

#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Color/PickedColor.h"
#include "Chromet/Picking/LoupeAction.h"
#include "Chromet/Picking/LoupeSupport.h"
#include "Chromet/Picking/LoupeWindow.h"
#include "Chromet/Picking/SnapshotCapturing.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>

#include <functional>
#include <memory>

class LoupeView;
class QTimer;

// Runs one pick at a time over all displays: captures the display under the pointer and shows
// its loupe window first, then captures the others and opens theirs; follows the pointer (as its
// windows' pointer events report it, exact to the device pixel where the window system says) and
// the arrow keys, which move the system pointer along only where the platform can; on a pick hands
// the color to the pick's handler, confirms it in the label and closes 0.7 s later; on close gives
// the focus back to the window that had it. A second start() while a pick is showing closes it (the
// shortcut toggles the loupe).
//
// Every pick has a session number; captures, timers and input losses that belong to an earlier
// number do nothing. Main thread only.
class LoupeController : public QObject {
    Q_OBJECT

public:
    using PickHandler = std::function<void(const PickedColor &)>;
    using FocusWindow = LoupeSupport::FocusWindow;

    // From a pick to the close, and from the close until the windows go.
    static constexpr int confirmationMs = 700;
    static constexpr int orderOutMs = 180;
    // The other displays are captured once the first window is on screen, or after this long.
    static constexpr int fullCaptureLatestMs = 100;
    // What speeds up a pick's start (spare capture buffers, the idle windows' pixels) is held for
    // quick successive picks, and given back once no pick has run for this long.
    static constexpr int idleReleaseMs = 4000;
    // Where windows can show part of themselves, a pick opens on this much of the screen around
    // the pointer (points), read far quicker than a display; the rest follows behind the loupe.
    static constexpr qreal firstAreaPoints = 400;

    explicit LoupeController(std::unique_ptr<SnapshotCapturing> capturer,
                             std::unique_ptr<LoupeSupport> support = makeSystemLoupeSupport(),
                             QObject *parent = nullptr);
    ~LoupeController() override;

    SnapshotCapturing &capturer() const { return *m_capturer; }
    LoupeSupport &support() const { return *m_support; }

    // The label's format and hex case, asked for every label (default: HEX, uppercase).
    void setLabelFormat(std::function<ColorFormat()> labelFormat);
    void setLowercaseHex(std::function<bool()> lowercaseHex);
    // Called with the failed capture when a capture of the current pick failed: the pick has
    // closed, and closed() follows, so that whoever waits for the pick knows why it ended.
    void setOnFailure(std::function<void(const CaptureResult &failure)> onFailure) {
        m_onFailure = std::move(onFailure);
    }
    // The window that has the focus before a pick, and how it gets it back (default: the
    // support's focusedWindow() and restoreFocus()).
    void setFrontmostApp(std::function<FocusWindow()> frontmostApp);
    void setRestoreFocus(std::function<void(FocusWindow)> restoreFocus);

    // Prepares the capture service and one window per display, and rehearses a pick's captures
    // without showing anything, so that the first picks are as quick as the later ones.
    // warmedUp() follows when the rehearsal is over.
    void warmUp();

    // Gives back now what idleReleaseMs would; the next pick sets it up again.
    void releaseIdleMemory();

    // Begins a pick, or closes the one showing (the handler is then not used).
    void start(PickHandler onPick);
    // Ends the pick: for a cancel, after a pick, on a failure, when the input is taken away.
    void close();

    bool isShowing() const { return m_isShowing; }
    bool isConfirming() const { return m_confirming; }
    int session() const { return m_session; }
    // Where the loupe is, in global logical coordinates.
    QPointF point() const { return m_point; }
    // The windows of the current pick, in opening order.
    QList<LoupeWindow *> windows() const { return m_windows; }
    FocusWindow previousApp() const { return m_previousApp; }

    // The text a loupe label shows for a color, by the current format and hex case.
    QString labelText(const PickedColor &color) const;

Q_SIGNALS:
    // A window of the current pick was opened (shown and raised; painted later by the event loop).
    void windowOpened(LoupeWindow *window);
    // The rehearsal that warmUp() began is over.
    void warmedUp();
    // A pick ended, with or without a color (emitted at the end of close(), after the failure
    // callback where a capture failed).
    void closed();

private:
    void rehearse(int rounds);
    void captureFirst(const QPointF &point, SnapshotCapturing::Completion done);
    void firstCaptured(int session, const CaptureResult &result);
    void captureAll(int session);
    void fullCaptured(int session, CaptureResult result);
    void reportFailure(const char *what, const CaptureResult &failure, int session);
    // close() without announcing it.
    void end();
    void openWindow(const ScreenSnapshot &snapshot);
    // The idle window the next window for `frame` will be, if any.
    LoupeWindow *idleWindowFor(const QRectF &frame) const;
    LoupeWindow *acquireWindow(const QRectF &frame);
    void recycle(LoupeWindow *window);
    void clearFadingLoupes();
    LoupeWindow *windowContaining(const QPointF &point) const;
    void makeKey(LoupeWindow *window);
    void updateViews();
    void scheduleIdleRelease();

    void moved(const QPointF &eventPoint);
    // Where the pointer is: the window system's reading where it gives one, else `known`.
    QPointF pointerOr(const QPointF &known) const;
    void act(const LoupeAction &action);
    void nudge(int dx, int dy);
    void pick();

    std::unique_ptr<SnapshotCapturing> m_capturer;
    std::unique_ptr<LoupeSupport> m_support;
    std::function<ColorFormat()> m_labelFormat;
    std::function<bool()> m_lowercaseHex;
    QList<LoupeWindow *> m_windows;
    LoupeWindow *m_keyWindow = nullptr;
    PickHandler m_onPick;
    QPointF m_point;
    bool m_cursorHidden = false;
    bool m_confirming = false;
    int m_session = 0;
    QElapsedTimer m_started;
    bool m_isShowing = false;
    int m_fullCaptureSession = 0;
    // A pick asked for over pixels the first, partial snapshot lacks: done once they arrive.
    bool m_pickPending = false;
    std::function<void(const CaptureResult &)> m_onFailure;
    std::function<FocusWindow()> m_frontmostApp;
    std::function<void(FocusWindow)> m_restoreFocus;
    FocusWindow m_previousApp;

    // Every window made, whichever state it is in; the idle ones wait for the next pick.
    QList<LoupeWindow *> m_allWindows;
    QList<LoupeWindow *> m_idleWindows;
    // Windows of closed picks, on screen until they are ordered out.
    QList<QPointer<LoupeWindow>> m_fading;
    QTimer *m_idleRelease = nullptr;
};
