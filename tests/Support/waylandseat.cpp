// Gives a headless compositor's seat a pointer and a keyboard for as long as it runs. Without
// them the seat lacks those capabilities: clients never get pointer events, and the keys of a
// short-lived virtual keyboard (wtype) arrive before they have bound one. Prints "ready" once
// the compositor has both.
#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdio>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace {

struct Globals {
    wl_seat *seat = nullptr;
    zwlr_virtual_pointer_manager_v1 *pointers = nullptr;
    zwp_virtual_keyboard_manager_v1 *keyboards = nullptr;
};

void global(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t) {
    auto *g = static_cast<Globals *>(data);
    if (!g->seat && std::strcmp(interface, wl_seat_interface.name) == 0)
        g->seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        g->pointers = static_cast<zwlr_virtual_pointer_manager_v1 *>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        g->keyboards = static_cast<zwp_virtual_keyboard_manager_v1 *>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
}

void globalRemove(void *, wl_registry *, uint32_t) {
}

// The compositor needs a keymap before the keyboard counts; the default one will do.
bool sendKeymap(zwp_virtual_keyboard_v1 *keyboard) {
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap *keymap =
        context ? xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS)
                : nullptr;
    char *text = keymap ? xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : nullptr;
    const int fd = text ? memfd_create("keymap", MFD_CLOEXEC) : -1;
    const size_t size = text ? std::strlen(text) + 1 : 0;
    const bool ok = fd >= 0 && write(fd, text, size) == ssize_t(size);
    if (ok)
        zwp_virtual_keyboard_v1_keymap(keyboard, XKB_KEYMAP_FORMAT_TEXT_V1, fd, uint32_t(size));
    if (fd >= 0)
        close(fd);
    free(text);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    return ok;
}

} // namespace

int main() {
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "waylandseat: cannot connect\n");
        return 1;
    }
    Globals g;
    static const wl_registry_listener listener{global, globalRemove};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, &g);
    wl_display_roundtrip(display);
    if (!g.seat || !g.pointers || !g.keyboards) {
        std::fprintf(stderr, "waylandseat: no seat or virtual input managers\n");
        return 1;
    }
    zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.pointers, g.seat);
    if (!sendKeymap(zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(g.keyboards, g.seat)))
        return 1;
    if (wl_display_roundtrip(display) < 0)
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    while (wl_display_dispatch(display) >= 0) {
    }
    return 0;
}
