#include "OrinHotkey/X11/X11KeyboardMap.h"
#include "OrinHotkey/HotKeyLogging.h"
#include "OrinX11/X11Connection.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>

std::unique_ptr<XkbKeyboardMap> X11KeyboardMap::current() {
    xcb_connection_t *connection = OrinX11::qtConnection();
    if (!connection)
        return nullptr;
    static const bool xkbReady = [connection] {
        const int ok = xkb_x11_setup_xkb_extension(
            connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr);
        if (!ok)
            qCWarning(lcOrinHotkey) << "the X server offers no usable XKB extension";
        return ok != 0;
    }();
    if (!xkbReady)
        return nullptr;

    const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device < 0)
        return nullptr;
    xkb_context *context = XkbKeyboardMap::newContext();
    if (!context)
        return nullptr;
    xkb_keymap *keymap =
        xkb_x11_keymap_new_from_device(context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_context_unref(context);
    if (!keymap) {
        qCWarning(lcOrinHotkey) << "cannot read the X server's keymap";
        return nullptr;
    }
    std::optional<quint32> active;
    if (xkb_state *state = xkb_x11_state_new_from_device(keymap, connection, device)) {
        active = xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE);
        xkb_state_unref(state);
    }
    return std::make_unique<XkbKeyboardMap>(keymap, active);
}
