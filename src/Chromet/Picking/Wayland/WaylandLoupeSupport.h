#pragma once

#include "Chromet/Picking/LoupeSupport.h"

#include <QList>
#include <QPointer>
#include <QTimer>

class WaylandConnection;
class WaylandLoupeWindow;
struct wl_keyboard;
struct wl_pointer;
struct wl_surface;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

// The loupe on Wayland: one surface per output on our own connection (WaylandLoupeWindow), an
// overlay layer surface where the compositor has the layer shell, else a fullscreen window
// (GNOME), which takes the keyboard while it shows. Only those surfaces
// learn where the pointer is, so the pointer is known once it has entered one of them, and it
// cannot be moved: a nudge moves the loupe's point alone. The compositor gives the focus back
// itself when the surfaces go.
class WaylandLoupeSupport : public LoupeSupport {
public:
    explicit WaylandLoupeSupport(WaylandConnection *connection);
    ~WaylandLoupeSupport() override;

    // The compositor offers the layer shell or ordinary windows, and a seat.
    static bool isAvailable(WaylandConnection *connection);
    // Whether the loupe's surfaces are fullscreen windows: without the layer shell, or when
    // CHROMET_LOUPE_SURFACE=window asks for them.
    static bool usesWindows(WaylandConnection *connection);

    LoupeWindow *createWindow() override;
    std::optional<QPointF> pointerPosition() override;
    bool canWarpPointer() const override { return false; }
    void warpPointer(const QPointF &) override {}
    FocusWindow focusedWindow() override { return std::nullopt; }
    void restoreFocus(FocusWindow) override {}
    void beginPick(std::function<void()> lost) override;
    void takeInput(QWidget *) override {}
    void focusWindow(QWidget *) override {}
    void endPick() override;
    void syncDrawing() override;

    WaylandConnection *connection() const { return m_connection; }
    // Whether the pointer has been over one of the pick's surfaces, so the loupe can be drawn
    // where it is rather than where it was last seen.
    bool knowsPointer() const { return m_pointer.has_value(); }
    // Bumped by every input event the loupe's views are given: something to draw again.
    quint64 inputGeneration() const { return m_generation; }

    // Called by a window whose surface the compositor closed or that could not show.
    void surfaceClosed();
    void forget(WaylandLoupeWindow *window);

private:
    struct Listeners;
    WaylandLoupeWindow *windowOf(wl_surface *surface) const;
    void pointerAt(wl_surface *surface, double x, double y);
    void button(quint32 button, bool pressed);
    void key(quint32 key, bool pressed);
    void setKeymap(int fd, quint32 size);
    void setSeatCapabilities(quint32 capabilities);

    WaylandConnection *m_connection;
    wl_pointer *m_wlPointer = nullptr;
    wl_keyboard *m_keyboard = nullptr;
    xkb_context *m_xkb = nullptr;
    xkb_keymap *m_keymap = nullptr;
    xkb_state *m_keyState = nullptr;
    QList<WaylandLoupeWindow *> m_windows;
    WaylandLoupeWindow *m_pointerWindow = nullptr;
    WaylandLoupeWindow *m_keyWindow = nullptr;
    std::optional<QPointF> m_pointer;
    Qt::MouseButtons m_buttons;
    std::function<void()> m_lost;
    bool m_picking = false;
    quint64 m_generation = 0;
    // Held keys repeat at the rate the compositor asks for.
    QTimer m_repeat;
    quint32 m_repeatKey = 0;
    int m_repeatRate = 25;
    int m_repeatDelay = 600;
};
