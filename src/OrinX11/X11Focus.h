#pragma once

// The window manager's focus on X11, for every module that reads or moves it: _NET_ACTIVE_WINDOW
// where a window manager keeps it, else the input focus; activation by the window manager's
// protocol or, without one, by raising the window and setting the input focus directly.

#include "OrinX11/X11Connection.h"

#include <optional>

namespace OrinX11 {

inline xcb_window_t rootWindow(xcb_connection_t *connection) {
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

// A compliant window manager names its check window on the root; a stale property of one that
// has gone would name a window that no longer exists.
inline bool hasWindowManager(xcb_connection_t *connection) {
    const xcb_atom_t check = atom(connection, "_NET_SUPPORTING_WM_CHECK");
    if (check == XCB_ATOM_NONE)
        return false;
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, rootWindow(connection), check, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) != 4)
        return false;
    const xcb_window_t window =
        *static_cast<const xcb_window_t *>(xcb_get_property_value(reply.get()));
    XcbReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr));
    return attributes != nullptr;
}

// The window the user works in; none when the focus is on nothing or follows the pointer.
inline std::optional<xcb_window_t> activeWindow(xcb_connection_t *connection) {
    const xcb_window_t root = rootWindow(connection);
    if (hasWindowManager(connection)) {
        const xcb_atom_t active = atom(connection, "_NET_ACTIVE_WINDOW");
        XcbReply<xcb_get_property_reply_t> reply(
            active == XCB_ATOM_NONE
                ? nullptr
                : xcb_get_property_reply(
                      connection,
                      xcb_get_property(connection, 0, root, active, XCB_ATOM_WINDOW, 0, 1),
                      nullptr));
        if (reply && xcb_get_property_value_length(reply.get()) == 4) {
            const xcb_window_t window =
                *static_cast<const xcb_window_t *>(xcb_get_property_value(reply.get()));
            if (window != XCB_WINDOW_NONE)
                return window;
        }
    }
    XcbReply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    if (!focus || focus->focus == XCB_WINDOW_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT ||
        focus->focus == root)
        return std::nullopt;
    return focus->focus;
}

// Who asks the window manager for the switch (_NET_ACTIVE_WINDOW's source indication).
enum class ActivationSource : quint32 { application = 1, user = 2 };

// Gives `window` the focus, if it is still on screen.
inline void activateWindow(xcb_connection_t *connection, xcb_window_t window,
                           ActivationSource source) {
    XcbReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr));
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
        return;
    const xcb_atom_t active = atom(connection, "_NET_ACTIVE_WINDOW");
    if (hasWindowManager(connection) && active != XCB_ATOM_NONE) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = active;
        event.data.data32[0] = quint32(source);
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(connection, 0, rootWindow(connection),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&event));
    } else {
        const quint32 above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
    }
    xcb_flush(connection);
}

} // namespace OrinX11
