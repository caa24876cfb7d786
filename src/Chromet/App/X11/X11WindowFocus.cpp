#include "Chromet/App/X11/X11WindowFocus.h"

#include "OrinX11/X11Focus.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

std::unique_ptr<X11WindowFocus> X11WindowFocus::create() {
    xcb_connection_t *connection = OrinX11::qtConnection();
    if (!connection)
        return nullptr;
    return std::make_unique<X11WindowFocus>(connection);
}

X11WindowFocus::X11WindowFocus(xcb_connection_t *connection)
    : m_connection(connection) {
}

std::optional<WId> X11WindowFocus::activeWindow() const {
    if (const auto window = OrinX11::activeWindow(m_connection))
        return WId(*window);
    return std::nullopt;
}

void X11WindowFocus::activate(WId window) {
    // A pager's request: the user asked for the switch.
    OrinX11::activateWindow(m_connection, xcb_window_t(window), OrinX11::ActivationSource::user);
}
