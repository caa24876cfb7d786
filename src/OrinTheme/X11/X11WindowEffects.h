#pragma once

#include <QByteArray>
#include <QList>
#include <QRegion>
#include <QtGlobal>

#include <optional>

// The X11 side of WindowEffects. Every call uses Qt's own X connection and does nothing when
// the application does not run on X11.
class X11WindowEffects {
public:
    X11WindowEffects() = delete;

    // Whether the application runs on X11 (Qt has an X connection).
    static bool available();
    // Whether the _NET_WM_CM_S<screen> selection has an owner; none without an X connection.
    static std::optional<bool> compositorActive();
    // _GTK_FRAME_EXTENTS on all four sides and _COMPTON_SHADOW off; margin 0 removes both.
    static void setFrameExtents(quint32 window, int margin);
    // Whether the compositor offers blur behind windows: it announces
    // _KDE_NET_WM_BLUR_BEHIND_REGION in the root window's _NET_SUPPORTED, or (as KWin does) as a
    // property of the root window. None without an X connection.
    static std::optional<bool> blurBehindAvailable();
    // _KDE_NET_WM_BLUR_BEHIND_REGION, only where a compositor has created that atom.
    static void setBlurBehind(quint32 window, const QRegion &region);
    // The window's input shape through XFixes; an empty region resets it to the whole window.
    static void setInputRegion(quint32 window, const QRegion &region);
    // Adds states to _NET_WM_STATE of a window not mapped yet, keeping those already there (Qt
    // merges its own into the list when it maps the window).
    static void addWindowStates(quint32 window, const QList<QByteArray> &states);
    // _NET_WM_DESKTOP = all desktops, read by the window manager when the window is mapped.
    static void setOnAllDesktops(quint32 window);
};
