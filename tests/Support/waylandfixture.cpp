// What a headless compositor lacks for tests: a mouse and a keyboard that stay plugged in while
// this runs (without them clients get no pointer, and a short-lived virtual keyboard's keys
// arrive before they have bound one), and the color fixture's pattern as every output's
// background, drawn in device pixels so that it shows exactly at any scale. Outputs are the
// pattern's screens in the order of their names. Prints "ready" once all is up, then runs until
// stopped.

#include "ColorFixture.h"

#include "OrinWayland/viewporter-client.h"
#include "OrinWayland/virtual-keyboard-unstable-v1-client.h"
#include "OrinWayland/wlr-layer-shell-unstable-v1-client.h"
#include "wlr-virtual-pointer-unstable-v1-client.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

struct Output {
    wl_output *output = nullptr;
    std::string name;
    int width = 0, height = 0; // device pixels
    int logicalWidth = 0, logicalHeight = 0;
};

wl_compositor *compositor = nullptr;
wl_shm *shm = nullptr;
wl_seat *seat = nullptr;
wp_viewporter *viewporter = nullptr;
zwlr_layer_shell_v1 *layerShell = nullptr;
zwlr_virtual_pointer_manager_v1 *pointers = nullptr;
zwp_virtual_keyboard_manager_v1 *keyboards = nullptr;
std::vector<Output *> outputs;

template <typename T>
T *bind(wl_registry *registry, uint32_t name, const wl_interface &i, uint32_t v) {
    return static_cast<T *>(wl_registry_bind(registry, name, &i, v));
}

const wl_output_listener outputListener = {
    [](void *, wl_output *, int32_t, int32_t, int32_t, int32_t, int32_t, const char *, const char *,
       int32_t) {},
    [](void *data, wl_output *, uint32_t flags, int32_t width, int32_t height, int32_t) {
        if (flags & WL_OUTPUT_MODE_CURRENT) {
            static_cast<Output *>(data)->width = width;
            static_cast<Output *>(data)->height = height;
        }
    },
    [](void *, wl_output *) {},
    [](void *, wl_output *, int32_t) {},
    [](void *data, wl_output *, const char *name) { static_cast<Output *>(data)->name = name; },
    [](void *, wl_output *, const char *) {},
};

const wl_registry_listener registryListener = {
    [](void *, wl_registry *registry, uint32_t name, const char *interface, uint32_t) {
        const std::string is(interface);
        if (is == wl_compositor_interface.name)
            compositor = bind<wl_compositor>(registry, name, wl_compositor_interface, 4);
        else if (is == wl_shm_interface.name)
            shm = bind<wl_shm>(registry, name, wl_shm_interface, 1);
        else if (is == wl_seat_interface.name)
            seat = bind<wl_seat>(registry, name, wl_seat_interface, 1);
        else if (is == wp_viewporter_interface.name)
            viewporter = bind<wp_viewporter>(registry, name, wp_viewporter_interface, 1);
        else if (is == zwlr_layer_shell_v1_interface.name)
            layerShell =
                bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface, 1);
        else if (is == zwlr_virtual_pointer_manager_v1_interface.name)
            pointers = bind<zwlr_virtual_pointer_manager_v1>(
                registry, name, zwlr_virtual_pointer_manager_v1_interface, 1);
        else if (is == zwp_virtual_keyboard_manager_v1_interface.name)
            keyboards = bind<zwp_virtual_keyboard_manager_v1>(
                registry, name, zwp_virtual_keyboard_manager_v1_interface, 1);
        else if (is == wl_output_interface.name) {
            auto *output = new Output;
            output->output = bind<wl_output>(registry, name, wl_output_interface, 4);
            wl_output_add_listener(output->output, &outputListener, output);
            outputs.push_back(output);
        }
    },
    [](void *, wl_registry *, uint32_t) {},
};

const zwlr_layer_surface_v1_listener layerListener = {
    [](void *data, zwlr_layer_surface_v1 *layer, uint32_t serial, uint32_t width, uint32_t height) {
        auto *output = static_cast<Output *>(data);
        output->logicalWidth = int(width);
        output->logicalHeight = int(height);
        zwlr_layer_surface_v1_ack_configure(layer, serial);
    },
    [](void *, zwlr_layer_surface_v1 *) {},
};

int memoryFile(size_t size) {
    const int fd = memfd_create("fixture", MFD_CLOEXEC);
    return fd >= 0 && ftruncate(fd, off_t(size)) == 0 ? fd : -1;
}

// Each output's background: the pattern, one buffer pixel per device pixel.
bool paint(wl_display *display, Output &output, int index) {
    wl_surface *surface = wl_compositor_create_surface(compositor);
    zwlr_layer_surface_v1 *layer = zwlr_layer_shell_v1_get_layer_surface(
        layerShell, surface, output.output, ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND, "fixture");
    zwlr_layer_surface_v1_add_listener(layer, &layerListener, &output);
    zwlr_layer_surface_v1_set_anchor(layer, 15);
    zwlr_layer_surface_v1_set_exclusive_zone(layer, -1);
    wl_surface_commit(surface);
    wl_display_roundtrip(display);
    const size_t stride = size_t(output.width) * 4, size = stride * size_t(output.height);
    const int fd = memoryFile(size);
    if (fd < 0 || output.logicalWidth <= 0)
        return false;
    auto *pixels = static_cast<uint32_t *>(mmap(nullptr, size, PROT_WRITE, MAP_SHARED, fd, 0));
    for (int y = 0; y < output.height; ++y)
        for (int x = 0; x < output.width; ++x)
            pixels[size_t(y) * size_t(output.width) + size_t(x)] =
                colorFixturePixel(x, y, colorFixtureBlue(index));
    munmap(pixels, size);
    wl_shm_pool *pool = wl_shm_create_pool(shm, fd, int(size));
    wl_buffer *buffer = wl_shm_pool_create_buffer(pool, 0, output.width, output.height, int(stride),
                                                  WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    wp_viewport_set_destination(wp_viewporter_get_viewport(viewporter, surface),
                                output.logicalWidth, output.logicalHeight);
    wl_surface_attach(surface, buffer, 0, 0);
    wl_surface_damage_buffer(surface, 0, 0, output.width, output.height);
    wl_surface_commit(surface);
    return true;
}

} // namespace

int main() {
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::cerr << "waylandfixture: no compositor\n";
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
    wl_display_roundtrip(display);
    wl_display_roundtrip(display);
    if (!compositor || !shm || !seat || !viewporter || !layerShell || !pointers || !keyboards) {
        std::cerr << "waylandfixture: the compositor lacks a protocol the fixture needs\n";
        return 1;
    }
    std::sort(outputs.begin(), outputs.end(),
              [](const Output *a, const Output *b) { return a->name < b->name; });
    for (size_t i = 0; i < outputs.size(); ++i) {
        if (!paint(display, *outputs[i], int(i)))
            return 1;
    }
    zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointers, seat);
    zwp_virtual_keyboard_v1 *keyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(keyboards, seat);

    // The default layout (US unless XKB_DEFAULT_* say otherwise).
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap *keymap = xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS);
    char *text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    const size_t size = std::strlen(text) + 1;
    const int fd = memoryFile(size);
    if (fd < 0 || pwrite(fd, text, size, 0) != ssize_t(size))
        return 1;
    zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, uint32_t(size));
    wl_display_roundtrip(display);
    std::cout << "ready" << std::endl;
    while (wl_display_dispatch(display) != -1) {
    }
    return 0;
}
