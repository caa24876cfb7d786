#include "OrinPaste/Wayland/WaylandSyntheticKeyboard.h"
#include "OrinPaste/PasteLogging.h"

#include "OrinHotkey/KeyCodes.h"
#include "OrinWayland/WaylandConnection.h"
#include "OrinWayland/virtual-keyboard-unstable-v1-client.h"

#include <QDateTime>

#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

namespace {

const char *modifierName(quint32 bit) {
    switch (bit) {
    case HotKeyCombo::controlKey:
        return XKB_MOD_NAME_CTRL;
    case HotKeyCombo::optionKey:
        return XKB_MOD_NAME_ALT;
    case HotKeyCombo::shiftKey:
        return XKB_MOD_NAME_SHIFT;
    default:
        return XKB_MOD_NAME_LOGO;
    }
}

} // namespace

std::unique_ptr<WaylandSyntheticKeyboard> WaylandSyntheticKeyboard::create() {
    WaylandConnection *connection = WaylandConnection::instance();
    if (!connection || !connection->virtualKeyboard() || !connection->seat())
        return nullptr;
    // The layout the rest of the program assumes (XKB_DEFAULT_* or US), handed to the
    // compositor so that our key codes mean what we think they mean.
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap *keymap = xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_context_unref(context);
    char *text = keymap ? xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : nullptr;
    const int fd = text ? memfd_create("keymap", MFD_CLOEXEC) : -1;
    const size_t size = text ? std::strlen(text) + 1 : 0;
    const bool written = fd >= 0 && write(fd, text, size) == ssize_t(size);
    std::free(text);
    if (!written) {
        if (fd >= 0)
            close(fd);
        xkb_keymap_unref(keymap);
        qCWarning(lcOrinPaste, "Chromet: no keymap for the virtual keyboard");
        return nullptr;
    }
    zwp_virtual_keyboard_v1 *keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(
        connection->virtualKeyboard(), connection->seat());
    zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, uint32_t(size));
    close(fd);
    connection->flush();
    return std::unique_ptr<WaylandSyntheticKeyboard>(
        new WaylandSyntheticKeyboard(connection, keyboard, keymap));
}

WaylandSyntheticKeyboard::WaylandSyntheticKeyboard(WaylandConnection *connection,
                                                   zwp_virtual_keyboard_v1 *keyboard,
                                                   xkb_keymap *keymap)
    : m_connection(connection)
    , m_keyboard(keyboard)
    , m_keymap(keymap) {
    // The keyboard may outlive the connection (it lives to the end of the process).
    m_closing = QObject::connect(connection, &WaylandConnection::disconnecting, connection, [this] {
        zwp_virtual_keyboard_v1_destroy(std::exchange(m_keyboard, nullptr));
    });
}

WaylandSyntheticKeyboard::~WaylandSyntheticKeyboard() {
    QObject::disconnect(m_closing);
    if (m_keyboard)
        zwp_virtual_keyboard_v1_destroy(m_keyboard);
    xkb_keymap_unref(m_keymap);
}

void WaylandSyntheticKeyboard::postKeystroke(quint32 keyCode, quint32 modifiers) {
    const auto key = KeyCodes::toX11(keyCode);
    if (!key || !m_keyboard || m_connection->hasFailed()) {
        qCInfo(lcOrinPaste) << "no key for key code" << keyCode;
        return;
    }
    const auto time = [] {
        return uint32_t(QDateTime::currentMSecsSinceEpoch());
    };
    const auto press = [&](quint32 x11, bool down) {
        zwp_virtual_keyboard_v1_key(m_keyboard, time(), x11 - 8,
                                    down ? WL_KEYBOARD_KEY_STATE_PRESSED
                                         : WL_KEYBOARD_KEY_STATE_RELEASED);
    };
    quint32 mask = 0;
    QList<quint32> held;
    for (const auto &[bit, modifierKey] : modifierKeys) {
        if (!(modifiers & bit))
            continue;
        held.append(*KeyCodes::toX11(modifierKey));
        press(held.last(), true);
        // Clients read modifiers from this state, not from the keys.
        const xkb_mod_index_t index = xkb_keymap_mod_get_index(m_keymap, modifierName(bit));
        if (index != XKB_MOD_INVALID)
            mask |= 1u << index;
        zwp_virtual_keyboard_v1_modifiers(m_keyboard, mask, 0, 0, 0);
    }
    press(*key, true);
    press(*key, false);
    for (auto it = held.crbegin(); it != held.crend(); ++it)
        press(*it, false);
    if (mask)
        zwp_virtual_keyboard_v1_modifiers(m_keyboard, 0, 0, 0, 0);
    m_connection->flush();
}
