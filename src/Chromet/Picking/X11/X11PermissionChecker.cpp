#include "Chromet/Picking/X11/X11PermissionChecker.h"

#include "OrinX11/X11Connection.h"

#include <cstdlib>

QString X11PermissionChecker::deniedReason() const {
    return QStringLiteral("The X server does not hand Chromet an image of the screen.");
}

bool X11PermissionChecker::isGranted() const {
    xcb_connection_t *connection = OrinX11::qtConnection();
    if (!connection || xcb_connection_has_error(connection))
        return false;

    const xcb_setup_t *setup = xcb_get_setup(connection);
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    if (screens.rem < 1 || !screens.data)
        return false;

    xcb_generic_error_t *error = nullptr;
    xcb_get_image_reply_t *reply = xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, screens.data->root, 0, 0, 1, 1, ~0u),
        &error);
    const bool granted = reply && !error && xcb_get_image_data_length(reply) > 0;
    std::free(error);
    std::free(reply);
    return granted;
}
