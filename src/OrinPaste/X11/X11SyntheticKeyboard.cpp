#include "OrinPaste/X11/X11SyntheticKeyboard.h"
#include "OrinPaste/PasteLogging.h"

#include "OrinX11/X11Connection.h"

#include "OrinHotkey/KeyCodes.h"

#include <QGuiApplication>
#include <QVector>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

std::unique_ptr<X11SyntheticKeyboard> X11SyntheticKeyboard::create() {
    xcb_connection_t *connection = OrinX11::qtConnection();
    if (!connection)
        return nullptr;
    return std::make_unique<X11SyntheticKeyboard>(connection);
}

X11SyntheticKeyboard::X11SyntheticKeyboard(xcb_connection_t *connection)
    : m_connection(connection) {
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

bool X11SyntheticKeyboard::isTrusted() const {
    const xcb_query_extension_reply_t *xtest = xcb_get_extension_data(m_connection, &xcb_test_id);
    return xtest && xtest->present;
}

void X11SyntheticKeyboard::requestTrust() {
    // X11 has no permission to grant: either the server offers XTEST or it does not.
    if (!isTrusted())
        qCWarning(lcOrinPaste)
            << "the X server has no XTEST extension, so keystrokes cannot be sent to other "
               "applications; enable XTEST in the X server's configuration";
}

quint32 X11SyntheticKeyboard::atom(const char *name) const {
    return OrinX11::atom(m_connection, name);
}

std::optional<WId> X11SyntheticKeyboard::frontmost() const {
    // The window manager's idea of the active window, else whoever has the input focus.
    if (const quint32 activeAtom = atom("_NET_ACTIVE_WINDOW"); activeAtom != XCB_ATOM_NONE) {
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, m_root, activeAtom, XCB_ATOM_WINDOW, 0, 1), nullptr));
        if (reply && reply->type == XCB_ATOM_WINDOW &&
            xcb_get_property_value_length(reply.get()) == 4) {
            const xcb_window_t window =
                *static_cast<const xcb_window_t *>(xcb_get_property_value(reply.get()));
            if (window != XCB_WINDOW_NONE)
                return WId(window);
        }
    }
    XcbReply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    if (!focus || focus->focus == XCB_WINDOW_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT)
        return std::nullopt;
    return WId(focus->focus);
}

void X11SyntheticKeyboard::activate(WId window) {
    const auto target = xcb_window_t(window);
    const quint32 activeAtom = atom("_NET_ACTIVE_WINDOW");
    const quint32 checkAtom = atom("_NET_SUPPORTING_WM_CHECK");
    XcbReply<xcb_get_property_reply_t> wm(
        checkAtom == XCB_ATOM_NONE
            ? nullptr
            : xcb_get_property_reply(
                  m_connection,
                  xcb_get_property(m_connection, 0, m_root, checkAtom, XCB_ATOM_WINDOW, 0, 1),
                  nullptr));
    if (wm && xcb_get_property_value_length(wm.get()) == 4 && activeAtom != XCB_ATOM_NONE) {
        // A window manager decides about focus: ask it.
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = target;
        event.type = activeAtom;
        event.data.data32[0] = 1; // request from an application
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

void X11SyntheticKeyboard::postKeystroke(quint32 keyCode, quint32 modifiers) {
    const auto key = KeyCodes::toX11(keyCode);
    if (!key) {
        qCInfo(lcOrinPaste) << "no X11 key for key code" << keyCode;
        return;
    }
    QVector<quint8> held;
    for (const auto &[bit, modifierKey] : SyntheticKeyboard::modifierKeys) {
        if (modifiers & bit)
            held.append(quint8(*KeyCodes::toX11(modifierKey)));
    }
    const auto fake = [this](quint8 type, quint8 keycode) {
        xcb_test_fake_input(m_connection, type, keycode, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0,
                            0);
    };
    for (quint8 keycode : std::as_const(held))
        fake(XCB_KEY_PRESS, keycode);
    fake(XCB_KEY_PRESS, quint8(*key));
    fake(XCB_KEY_RELEASE, quint8(*key));
    for (auto it = held.crbegin(); it != held.crend(); ++it)
        fake(XCB_KEY_RELEASE, *it);
    xcb_flush(m_connection);
}
