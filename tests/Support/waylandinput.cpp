// A mouse and a keyboard for tests under a compositor without input devices: both stay plugged
// in while this runs, so clients see a seat with a pointer and a keyboard. Commands on stdin, one
// per line, each answered "ok" once the compositor has handled it:
//   move X Y W H     pointer to (X, Y) of a layout W x H points (fractions allowed)
//   press CODE | release CODE | click CODE     a button (evdev code: 272 left, 273 right)
//   key CODE [shift] [ctrl]     press and release a key (evdev code), modifiers held around it

#include "OrinWayland/virtual-keyboard-unstable-v1-client.h"
#include "wlr-virtual-pointer-unstable-v1-client.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cmath>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

wl_seat *seat = nullptr;
zwlr_virtual_pointer_manager_v1 *pointers = nullptr;
zwp_virtual_keyboard_manager_v1 *keyboards = nullptr;

const wl_registry_listener registryListener = {
    [](void *, wl_registry *registry, uint32_t name, const char *interface, uint32_t) {
        if (!std::strcmp(interface, wl_seat_interface.name))
            seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        else if (!std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name))
            pointers = static_cast<zwlr_virtual_pointer_manager_v1 *>(
                wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
        else if (!std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name))
            keyboards = static_cast<zwp_virtual_keyboard_manager_v1 *>(
                wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
    },
    [](void *, wl_registry *, uint32_t) {},
};

uint32_t now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return uint32_t(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

} // namespace

int main() {
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::cerr << "waylandinput: no compositor\n";
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (!seat || !pointers || !keyboards) {
        std::cerr << "waylandinput: the compositor offers no virtual pointer or keyboard\n";
        return 1;
    }
    zwlr_virtual_pointer_v1 *pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointers, seat);
    zwp_virtual_keyboard_v1 *keyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(keyboards, seat);

    // The default layout (US unless XKB_DEFAULT_* say otherwise).
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap *keymap = xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS);
    char *text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    const size_t size = std::strlen(text) + 1;
    const int fd = memfd_create("keymap", MFD_CLOEXEC);
    if (fd < 0 || write(fd, text, size) != ssize_t(size))
        return 1;
    zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, uint32_t(size));
    const uint32_t shiftMask = 1u << xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_SHIFT);
    const uint32_t ctrlMask = 1u << xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_CTRL);
    wl_display_roundtrip(display);
    std::cout << "ready" << std::endl;

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string command;
        in >> command;
        if (command == "move") {
            double x = 0, y = 0, w = 0, h = 0;
            in >> x >> y >> w >> h;
            // Eighths of a point, so half and quarter points land exactly.
            zwlr_virtual_pointer_v1_motion_absolute(
                pointer, now(), uint32_t(std::lround(x * 8)), uint32_t(std::lround(y * 8)),
                uint32_t(std::lround(w * 8)), uint32_t(std::lround(h * 8)));
            zwlr_virtual_pointer_v1_frame(pointer);
        } else if (command == "press" || command == "release" || command == "click") {
            uint32_t code = 0;
            in >> code;
            if (command != "release") {
                zwlr_virtual_pointer_v1_button(pointer, now(), code,
                                               WL_POINTER_BUTTON_STATE_PRESSED);
                zwlr_virtual_pointer_v1_frame(pointer);
            }
            if (command != "press") {
                zwlr_virtual_pointer_v1_button(pointer, now(), code,
                                               WL_POINTER_BUTTON_STATE_RELEASED);
                zwlr_virtual_pointer_v1_frame(pointer);
            }
        } else if (command == "key") {
            uint32_t code = 0;
            in >> code;
            uint32_t mods = 0;
            std::string modifier;
            while (in >> modifier)
                mods |= modifier == "shift" ? shiftMask : modifier == "ctrl" ? ctrlMask : 0;
            zwp_virtual_keyboard_v1_modifiers(keyboard, mods, 0, 0, 0);
            zwp_virtual_keyboard_v1_key(keyboard, now(), code, WL_KEYBOARD_KEY_STATE_PRESSED);
            zwp_virtual_keyboard_v1_key(keyboard, now(), code, WL_KEYBOARD_KEY_STATE_RELEASED);
            zwp_virtual_keyboard_v1_modifiers(keyboard, 0, 0, 0, 0);
        } else if (!command.empty()) {
            std::cout << "unknown command" << std::endl;
            continue;
        }
        if (wl_display_roundtrip(display) < 0)
            return 1;
        std::cout << "ok" << std::endl;
    }
    wl_display_disconnect(display);
    return 0;
}
