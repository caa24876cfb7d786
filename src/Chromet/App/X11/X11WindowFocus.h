#pragma once

#include "Chromet/App/WindowFocus.h"

#include <QtGlobal>

#include <memory>

struct xcb_connection_t;

// The focus on X11, over Qt's X connection: _NET_ACTIVE_WINDOW when a window manager keeps it,
// else the input focus; activation by the window manager's protocol or, without one, by raising
// the window and setting the input focus directly.
class X11WindowFocus : public WindowFocus {
public:
    // Null when the application has no X connection.
    static std::unique_ptr<X11WindowFocus> create();
    explicit X11WindowFocus(xcb_connection_t *connection);

    std::optional<WId> activeWindow() const override;
    void activate(WId window) override;

private:
    xcb_connection_t *m_connection = nullptr;
};
