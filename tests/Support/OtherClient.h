#pragma once

#include <QByteArray>
#include <QList>
#include <QPoint>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

// Another client of the same X server, as another application would be.
class OtherClient {
protected:
    // A reply that frees itself.
    template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
    template <typename T> static Reply<T> reply(T *raw) { return Reply<T>(raw, &std::free); }

public:
    OtherClient()
        : m_connection(xcb_connect(nullptr, nullptr)) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    ~OtherClient() { xcb_disconnect(m_connection); }
    OtherClient(const OtherClient &) = delete;
    OtherClient &operator=(const OtherClient &) = delete;

    bool ok() const { return xcb_connection_has_error(m_connection) == 0; }
    xcb_connection_t *connection() const { return m_connection; }
    xcb_window_t root() const { return m_root; }

    // A window of this client at (10, 10), placed without a window manager.
    xcb_window_t createWindow(bool map) {
        const xcb_window_t w = xcb_generate_id(m_connection);
        const uint32_t overrideRedirect = 1;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, w, m_root, 10, 10, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                          XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
        if (map)
            xcb_map_window(m_connection, w);
        sync();
        return w;
    }
    void destroy(xcb_window_t w) {
        xcb_destroy_window(m_connection, w);
        sync();
    }

    // Tries to grab the keyboard; gives it back at once when that worked.
    bool canGrabKeyboard() {
        const bool granted = grabKeyboard();
        if (granted)
            ungrabKeyboard();
        return granted;
    }
    bool grabKeyboard() {
        const auto r = reply(
            xcb_grab_keyboard_reply(m_connection,
                                    xcb_grab_keyboard(m_connection, 0, m_root, XCB_CURRENT_TIME,
                                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                    nullptr));
        return r && r->status == XCB_GRAB_STATUS_SUCCESS;
    }
    void ungrabKeyboard() {
        xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
        sync();
    }
    bool canGrabPointer() {
        const auto r = reply(xcb_grab_pointer_reply(
            m_connection,
            xcb_grab_pointer(m_connection, 0, m_root, XCB_EVENT_MASK_BUTTON_PRESS,
                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE,
                             XCB_CURRENT_TIME),
            nullptr));
        const bool granted = r && r->status == XCB_GRAB_STATUS_SUCCESS;
        if (granted) {
            xcb_ungrab_pointer(m_connection, XCB_CURRENT_TIME);
            sync();
        }
        return granted;
    }

    xcb_window_t focus() {
        const auto r = reply(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        return r ? r->focus : XCB_NONE;
    }
    void setFocus(xcb_window_t window) {
        xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        sync();
    }

    // Key grabs, as another application holding or probing them would make.
    bool grab(quint8 keycode, quint16 modifiers) {
        const auto cookie = xcb_grab_key_checked(m_connection, 0, m_root, modifiers, keycode,
                                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        xcb_generic_error_t *error = xcb_request_check(m_connection, cookie);
        std::free(error);
        return error == nullptr;
    }
    void ungrab(quint8 keycode, quint16 modifiers) {
        xcb_ungrab_key(m_connection, keycode, m_root, modifiers);
        sync();
    }
    // Whether every lock variant of the combination is free: nobody else holds any of them.
    bool canGrabAllVariants(quint8 keycode, quint16 modifiers) {
        bool all = true;
        for (int lock : {0, int(XCB_MOD_MASK_LOCK), int(XCB_MOD_MASK_2),
                         int(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2)}) {
            const quint16 variant = quint16(modifiers | lock);
            if (grab(keycode, variant))
                xcb_ungrab_key(m_connection, keycode, m_root, variant);
            else
                all = false;
        }
        sync();
        return all;
    }

    // Puts Num Lock's key on another modifier (index 0 Shift ... 3 Mod1, 4 Mod2 ... 7 Mod5).
    void moveNumLock(int modifierIndex) {
        const auto map = reply(xcb_get_modifier_mapping_reply(
            m_connection, xcb_get_modifier_mapping(m_connection), nullptr));
        const int per = map->keycodes_per_modifier;
        QList<xcb_keycode_t> keycodes(8 * per);
        std::copy_n(xcb_get_modifier_mapping_keycodes(map.get()), 8 * per, keycodes.begin());
        const xcb_keycode_t numLock = 77; // evdev KEY_NUMLOCK + 8
        for (auto &k : keycodes) {
            if (k == numLock)
                k = 0;
        }
        for (int j = 0; j < per; ++j) {
            if (keycodes[modifierIndex * per + j] == 0) {
                keycodes[modifierIndex * per + j] = numLock;
                break;
            }
        }
        reply(xcb_set_modifier_mapping_reply(
            m_connection, xcb_set_modifier_mapping(m_connection, quint8(per), keycodes.data()),
            nullptr));
    }

    QPoint pointer() {
        const auto r = reply(xcb_query_pointer_reply(
            m_connection, xcb_query_pointer(m_connection, m_root), nullptr));
        return r ? QPoint(r->root_x, r->root_y) : QPoint(-1, -1);
    }

    // The root's children from the bottom of the stacking order to the top.
    QList<xcb_window_t> stackingOrder() {
        const auto tree = reply(
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr));
        if (!tree)
            return {};
        const xcb_window_t *children = xcb_query_tree_children(tree.get());
        return QList<xcb_window_t>(children, children + xcb_query_tree_children_length(tree.get()));
    }

    // Whether the cursor on screen shows no pixel at all; none when XFixes cannot tell.
    std::optional<bool> cursorIsBlank() {
        if (!reply(xcb_xfixes_query_version_reply(
                m_connection, xcb_xfixes_query_version(m_connection, 4, 0), nullptr)))
            return std::nullopt;
        const auto image = reply(xcb_xfixes_get_cursor_image_reply(
            m_connection, xcb_xfixes_get_cursor_image(m_connection), nullptr));
        if (!image)
            return std::nullopt;
        const uint32_t *pixels = xcb_xfixes_get_cursor_image_cursor_image(image.get());
        return std::all_of(pixels,
                           pixels + xcb_xfixes_get_cursor_image_cursor_image_length(image.get()),
                           [](uint32_t pixel) { return (pixel >> 24) == 0; });
    }

    // Becomes the window manager: announces _NET_ACTIVE_WINDOW support with a live check window,
    // names `active` the active window, and receives the requests sent to the root window.
    bool actAsWindowManager(xcb_window_t active) {
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
        if (xcb_request_check(m_connection, xcb_change_window_attributes_checked(
                                                m_connection, m_root, XCB_CW_EVENT_MASK, &mask)))
            return false;
        const xcb_window_t check = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, check, m_root, -10, -10, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        setWindowProperty(m_root, "_NET_SUPPORTING_WM_CHECK", check);
        setWindowProperty(check, "_NET_SUPPORTING_WM_CHECK", check);
        const xcb_atom_t supported[] = {atom("_NET_SUPPORTING_WM_CHECK"),
                                        atom("_NET_ACTIVE_WINDOW")};
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_root, atom("_NET_SUPPORTED"),
                            XCB_ATOM_ATOM, 32, 2, supported);
        setWindowProperty(m_root, "_NET_ACTIVE_WINDOW", active);
        sync();
        return true;
    }

    struct Activation {
        xcb_window_t window = XCB_NONE;
        uint32_t source = 0;
    };
    // A _NET_ACTIVE_WINDOW request that reached the window manager, if one has.
    std::optional<Activation> takeActivation() {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            std::optional<Activation> found;
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto *message = reinterpret_cast<xcb_client_message_event_t *>(event);
                if (message->type == atom("_NET_ACTIVE_WINDOW"))
                    found = Activation{message->window, message->data.data32[0]};
            }
            std::free(event);
            if (found)
                return found;
        }
        return std::nullopt;
    }

    void setWindowProperty(xcb_window_t window, const char *name, xcb_window_t value) {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom(name),
                            XCB_ATOM_WINDOW, 32, 1, &value);
    }
    // Publishes bytes on the root window, as a color manager does a display's profile; a null
    // value deletes the property.
    void setRootProperty(const char *name, const QByteArray &value) {
        if (value.isNull())
            xcb_delete_property(m_connection, m_root, atom(name));
        else
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_root, atom(name),
                                XCB_ATOM_CARDINAL, 8, uint32_t(value.size()), value.constData());
        sync();
    }
    void sync() { focus(); }

    // Hears what is sent to the root window, as a window manager does, without becoming one.
    void watchRoot() {
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        sync();
    }
    // The client messages of `type` received since the last call.
    QList<xcb_client_message_event_t> takeMessages(const char *type) {
        const xcb_atom_t wanted = atom(type);
        QList<xcb_client_message_event_t> messages;
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            const auto *message = reinterpret_cast<xcb_client_message_event_t *>(event);
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message->type == wanted)
                messages.append(*message);
            std::free(event);
        }
        return messages;
    }
    // The atoms a window's property lists, such as its _NET_WM_STATE.
    QList<xcb_atom_t> atoms(xcb_window_t window, const char *property) {
        const auto r = reply(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, window, atom(property), XCB_ATOM_ATOM, 0, 64),
            nullptr));
        if (!r || r->format != 32)
            return {};
        const auto *values = static_cast<const xcb_atom_t *>(xcb_get_property_value(r.get()));
        return QList<xcb_atom_t>(values, values + xcb_get_property_value_length(r.get()) / 4);
    }
    xcb_atom_t atom(const char *name) {
        const auto r = reply(xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name),
            nullptr));
        return r ? r->atom : XCB_NONE;
    }

private:
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = XCB_NONE;
};
