#pragma once

#include "Chromet/Picking/LoupeSupport.h"

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QTimer>

class QWidget;

// The loupe on an X server. The pointer is read and warped in device pixels, so that a nudge
// lands on the next device pixel on a scaled display too. A pick's first window takes the input
// focus and grabs keyboard and pointer (owner events off: every key and button comes to the
// loupe, and the grab's cursor is the window's blank one); a grab another client holds is retried
// for half a second. Override-redirect windows get no focus from a window manager, so focus and
// grabs are set directly. The pick counts as abandoned when the keyboard grab is broken or the
// focus leaves the pick's windows. The focused window is _NET_ACTIVE_WINDOW where the window
// manager keeps it, else the X input focus; it is given back the same way.
class X11LoupeSupport : public LoupeSupport, public QAbstractNativeEventFilter {
public:
    X11LoupeSupport();
    ~X11LoupeSupport() override;
    X11LoupeSupport(const X11LoupeSupport &) = delete;
    X11LoupeSupport &operator=(const X11LoupeSupport &) = delete;

    // Qt runs on xcb and has an X connection.
    static bool isAvailable();

    // Override-redirect: no window manager places, decorates or refocuses it.
    LoupeWindow *createWindow() override;
    std::optional<QPointF> pointerPosition() override;
    bool canWarpPointer() const override { return true; }
    void warpPointer(const QPointF &global) override;
    FocusWindow focusedWindow() override;
    void restoreFocus(FocusWindow previous) override;
    void beginPick(std::function<void()> lost) override;
    void takeInput(QWidget *view) override;
    void focusWindow(QWidget *window) override;
    void endPick() override;
    void syncDrawing() override;
    // True while no compositing manager owns the screen's _NET_WM_CM_Sn selection.
    bool keepsScreenUnderNewWindows() override;
    // Qt masks windows through the SHAPE extension, where the server has it.
    bool showsPartsOfWindows() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    // Whether the pick holds the keyboard and the pointer grab.
    bool holdsKeyboard() const { return m_keyboardGrabbed; }
    bool holdsPointer() const { return m_pointerGrabbed; }
    // Whether a grab is still being retried.
    bool isRetryingGrab() const { return m_retry.isActive(); }

    static constexpr int grabRetryMs = 10;
    static constexpr int grabRetries = 50;

private:
    void tryGrab();
    void checkFocus();
    void reportLost();

    std::function<void()> m_lost;
    bool m_picking = false;
    bool m_filtering = false;
    bool m_lostReported = false;
    QPointer<QWidget> m_view;
    bool m_keyboardGrabbed = false;
    bool m_pointerGrabbed = false;
    int m_attempts = 0;
    QTimer m_retry;
    QObject m_context;
};
