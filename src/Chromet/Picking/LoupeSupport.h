#pragma once

#include <QPointF>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

class LoupeWindow;
class QWidget;

// What a pick needs from the window system besides Qt's windows: the pointer, the input focus and
// the input grabs. One implementation per window system (X11LoupeSupport), a plain-Qt one
// elsewhere; tests install their own.
class LoupeSupport {
public:
    // A window that had the input focus, as the window system names it: an X window id, or X's
    // PointerRoot (1) when the focus followed the pointer; none when nothing had it.
    using FocusWindow = std::optional<quint32>;

    virtual ~LoupeSupport() = default;

    // A new loupe window, with the role its display server gives such a surface.
    virtual LoupeWindow *createWindow() = 0;

    // The pointer in global logical coordinates, exact to the device pixel it is on, where the
    // window system tells any client; nothing where only the loupe's own windows learn it from
    // their pointer events.
    virtual std::optional<QPointF> pointerPosition() = 0;
    // Whether warpPointer() moves the system pointer.
    virtual bool canWarpPointer() const = 0;
    // Moves the pointer onto the device pixel under a global logical point.
    virtual void warpPointer(const QPointF &global) = 0;

    // The window that has the input focus now: the one to give it back to after a pick.
    virtual FocusWindow focusedWindow() = 0;
    // Gives the focus back to `previous` if the pick still holds it; nothing without a window.
    virtual void restoreFocus(FocusWindow previous) = 0;

    // A pick begins: from now until endPick(), `lost` is called (later, from the event loop) when
    // another client takes the input away: a grab is broken or the focus leaves the pick's windows.
    virtual void beginPick(std::function<void()> lost) = 0;
    // The pick's first window is up: keys and pointer go to `view` (grabbed, retried briefly while
    // another client holds a grab) and its window takes the input focus.
    virtual void takeInput(QWidget *view) = 0;
    // Another window of the pick becomes the key window.
    virtual void focusWindow(QWidget *window) = 0;
    // Releases the grabs and stops watching.
    virtual void endPick() = 0;
    // Returns once the window system has drawn everything this process sent it, so that a screen
    // capture asked afterwards (on any connection) shows it.
    virtual void syncDrawing() {}
    // Whether a window shown now keeps showing the screen under it until it is drawn (nothing
    // composites the screen), so that its first frame need draw only what differs.
    virtual bool keepsScreenUnderNewWindows() { return false; }
    // Whether a window can show only part of itself (QWidget::setMask) with the screen showing
    // through the rest, so that a pick can open on a snapshot of the area around the pointer.
    virtual bool showsPartsOfWindows() { return false; }
};

// The support of PlatformBackend::kind(); the null one uses Qt's own cursor and grabs.
std::unique_ptr<LoupeSupport> makeSystemLoupeSupport();
