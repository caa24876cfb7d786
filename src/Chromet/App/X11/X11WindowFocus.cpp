#include "Chromet/App/X11/X11WindowFocus.h"

#include "OrinX11/X11Connection.h"

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
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

quint32 X11WindowFocus::atom(const char *name) const {
    return OrinX11::atom(m_connection, name);
}

bool X11WindowFocus::hasWindowManager() const {
    // A compliant window manager names its check window on the root; a stale property of one that
    // has gone would name a window that no longer exists.
    const quint32 check = atom("_NET_SUPPORTING_WM_CHECK");
    if (check == XCB_ATOM_NONE)
        return false;
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, m_root, check, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) != 4)
        return false;
    const xcb_window_t window =
        *static_cast<const xcb_window_t *>(xcb_get_property_value(reply.get()));
    XcbReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
    return attributes != nullptr;
}

std::optional<WId> X11WindowFocus::activeWindow() const {
    if (hasWindowManager()) {
        const quint32 active = atom("_NET_ACTIVE_WINDOW");
        XcbReply<xcb_get_property_reply_t> reply(
            active == XCB_ATOM_NONE
                ? nullptr
                : xcb_get_property_reply(
                      m_connection,
                      xcb_get_property(m_connection, 0, m_root, active, XCB_ATOM_WINDOW, 0, 1),
                      nullptr));
        if (reply && xcb_get_property_value_length(reply.get()) == 4) {
            const xcb_window_t window =
                *static_cast<const xcb_window_t *>(xcb_get_property_value(reply.get()));
            if (window != XCB_WINDOW_NONE)
                return WId(window);
        }
    }
    XcbReply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    if (!focus || focus->focus == XCB_WINDOW_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT ||
        focus->focus == m_root)
        return std::nullopt;
    return WId(focus->focus);
}

void X11WindowFocus::activate(WId window) {
    const auto target = xcb_window_t(window);
    // The window may have gone meanwhile; then there is nothing to give the focus to.
    XcbReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, target), nullptr));
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
        return;
    const quint32 active = atom("_NET_ACTIVE_WINDOW");
    if (hasWindowManager() && active != XCB_ATOM_NONE) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = target;
        event.type = active;
        event.data.data32[0] = 2; // a pager's request: the user asked for the switch
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_connection, 0, m_root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&event));
    } else {
        const quint32 above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(m_connection, target, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_PARENT, target, XCB_CURRENT_TIME);
    }
    xcb_flush(m_connection);
}
