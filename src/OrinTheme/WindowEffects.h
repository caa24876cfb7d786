#pragma once

#include <QRegion>

#include <optional>

class QWidget;

// What the desktop can do for translucent, self-shadowed windows, and the hints that ask it to.
// Translucency needs a compositing manager; without one a window's transparent pixels show as
// black, so every surface falls back to an opaque look and leaves the shadow to the window
// manager.
class WindowEffects {
public:
    WindowEffects() = delete;

    // Whether a compositing manager runs. On X11 that is whether the screen's _NET_WM_CM_S<n>
    // selection has an owner, asked each time (compositors come and go). Without an X
    // connection (offscreen, another platform) there is none. The environment variable
    // ORIN_COMPOSITOR=1 or =0 decides instead, as does setCompositorOverride(), which wins.
    static bool compositorActive();
    static void setCompositorOverride(std::optional<bool> active);
    static std::optional<bool> compositorOverride();

    // Tells the compositor that `window` draws its own shadow inside a transparent margin of
    // `margin` pixels on every side, so it adds none of its own and treats the inner rectangle
    // as the window's visible frame; a margin of 0 takes the hint back. Creates the native
    // window if needed. Does nothing away from X11.
    static void setDrawsOwnShadow(QWidget *window, int margin);
    // Whether the compositor blurs what lies behind a window on request (KWin does). Without
    // it a translucent surface would show the windows behind it sharply, so surfaces paint
    // their material opaque. Asked each time; ORIN_BLUR=1 or =0 decides instead, as does
    // setBlurOverride(), which wins. False whenever compositorActive() is false.
    static bool blurBehindAvailable();
    static void setBlurOverride(std::optional<bool> available);

    // Asks the compositor to blur what lies behind `region` (window coordinates) of a
    // translucent window, where it offers that; an empty region takes the request back.
    static void setBlurBehind(QWidget *window, const QRegion &region);
    // Limits where the window takes pointer input to `region` (window coordinates), so clicks
    // on a transparent margin reach what lies below; an empty region restores the whole window.
    static void setInputRegion(QWidget *window, const QRegion &region);
    // Shows the window on every virtual desktop. Call before the window is first shown.
    static void setOnAllDesktops(QWidget *window);
    // Keeps the window out of taskbars and pagers. Call before the window is first shown.
    static void setSkipTaskbar(QWidget *window);
};
