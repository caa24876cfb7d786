// Another X client holding a global shortcut, as a second application would. Usage:
// keygrabfixture KEYSYM MODIFIERS, e.g. "keygrabfixture c control+alt". It grabs the key with
// exactly those modifiers on the root window, writes "grabbed" (or "refused") on stdout and keeps
// the grab until it is killed or its stdin closes.

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

xcb_keycode_t keycodeFor(xcb_connection_t *c, xcb_keysym_t keysym) {
    const xcb_setup_t *setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t *map = xcb_get_keyboard_mapping_reply(
        c, xcb_get_keyboard_mapping(c, setup->min_keycode, uint8_t(count)), nullptr);
    if (!map)
        return 0;
    const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(map);
    xcb_keycode_t found = 0;
    for (int k = 0; k < count && !found; ++k) {
        for (int i = 0; i < map->keysyms_per_keycode; ++i) {
            if (syms[k * map->keysyms_per_keycode + i] == keysym) {
                found = xcb_keycode_t(setup->min_keycode + k);
                break;
            }
        }
    }
    std::free(map);
    return found;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3 || std::strlen(argv[1]) != 1) {
        std::fprintf(stderr, "usage: keygrabfixture KEY control+alt+shift+super\n");
        return 2;
    }
    uint16_t modifiers = 0;
    const std::string mods = argv[2];
    if (mods.find("control") != std::string::npos)
        modifiers |= XCB_MOD_MASK_CONTROL;
    if (mods.find("alt") != std::string::npos)
        modifiers |= XCB_MOD_MASK_1;
    if (mods.find("shift") != std::string::npos)
        modifiers |= XCB_MOD_MASK_SHIFT;
    if (mods.find("super") != std::string::npos)
        modifiers |= XCB_MOD_MASK_4;

    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "keygrabfixture: no X connection\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_keycode_t keycode = keycodeFor(c, xcb_keysym_t(argv[1][0]));
    if (!keycode) {
        std::fprintf(stderr, "keygrabfixture: no key for %s\n", argv[1]);
        return 1;
    }
    xcb_generic_error_t *error =
        xcb_request_check(c, xcb_grab_key_checked(c, 0, root, modifiers, keycode,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    std::printf("%s\n", error ? "refused" : "grabbed");
    std::fflush(stdout);
    std::free(error);

    // Hold the grab until told to stop.
    char buffer[64];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    xcb_disconnect(c);
    return 0;
}
