#include "OrinSettings/X11/X11TaskbarPresence.h"

#include "OrinX11/X11Connection.h"

#include <QGuiApplication>
#include <QList>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// _NET_WM_STATE client message actions.
constexpr quint32 netWmStateRemove = 0;
constexpr quint32 netWmStateAdd = 1;
// The request comes from an ordinary application.
constexpr quint32 sourceApplication = 1;

} // namespace

std::unique_ptr<X11TaskbarPresence> X11TaskbarPresence::create() {
    xcb_connection_t *connection = OrinX11::qtConnection();
    if (!connection)
        return nullptr;
    return std::make_unique<X11TaskbarPresence>(connection);
}

X11TaskbarPresence::X11TaskbarPresence(xcb_connection_t *connection)
    : m_connection(connection) {
    m_state = atom("_NET_WM_STATE");
    m_skipTaskbar = atom("_NET_WM_STATE_SKIP_TASKBAR");
    m_skipPager = atom("_NET_WM_STATE_SKIP_PAGER");
}

quint32 X11TaskbarPresence::atom(const char *name) const {
    return OrinX11::atom(m_connection, name, false);
}

void X11TaskbarPresence::setListed(QWindow *window, bool listed, bool mapped) {
    if (!window || m_state == XCB_ATOM_NONE)
        return;
    const auto id = xcb_window_t(window->winId());

    if (mapped) {
        xcb_client_message_event_t message;
        std::memset(&message, 0, sizeof message);
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = id;
        message.type = m_state;
        message.data.data32[0] = listed ? netWmStateRemove : netWmStateAdd;
        message.data.data32[1] = m_skipTaskbar;
        message.data.data32[2] = m_skipPager;
        message.data.data32[3] = sourceApplication;
        xcb_window_t root = XCB_WINDOW_NONE;
        const auto tree = xcb_query_tree(m_connection, id);
        if (XcbReply<xcb_query_tree_reply_t> reply{
                xcb_query_tree_reply(m_connection, tree, nullptr)})
            root = reply->root;
        if (root == XCB_WINDOW_NONE)
            return;
        xcb_send_event(m_connection, false, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&message));
        xcb_flush(m_connection);
        return;
    }

    // Not mapped yet: edit the property itself, keeping every other state.
    QList<xcb_atom_t> states;
    const auto cookie = xcb_get_property(m_connection, false, id, m_state, XCB_ATOM_ATOM, 0, 1024);
    if (XcbReply<xcb_get_property_reply_t> reply{
            xcb_get_property_reply(m_connection, cookie, nullptr)};
        reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto *values = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
        const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
        for (int i = 0; i < count; ++i)
            states.append(values[i]);
    }
    states.removeAll(m_skipTaskbar);
    states.removeAll(m_skipPager);
    if (!listed)
        states << m_skipTaskbar << m_skipPager;
    if (states.isEmpty())
        xcb_delete_property(m_connection, id, m_state);
    else
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, id, m_state, XCB_ATOM_ATOM, 32,
                            quint32(states.size()), states.constData());
    xcb_flush(m_connection);
}
