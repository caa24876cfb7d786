#include "OrinTheme/X11/X11WindowEffects.h"
#include "OrinTheme/ThemeLogging.h"

#include "OrinX11/X11Connection.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QVector>

#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

using OrinX11::atom;

xcb_connection_t *connection() {
    return OrinX11::qtConnection();
}

// Qt opens the display's default screen: the number after the "." of DISPLAY, 0 without one.
int defaultScreenNumber() {
    const QByteArray display = qgetenv("DISPLAY");
    const int colon = display.lastIndexOf(':');
    const int dot = display.indexOf('.', colon + 1);
    if (colon < 0 || dot < 0)
        return 0;
    bool ok = false;
    const int screen = display.mid(dot + 1).toInt(&ok);
    return ok && screen >= 0 ? screen : 0;
}

void setCardinals(xcb_connection_t *c, quint32 window, xcb_atom_t property,
                  const QVector<quint32> &values) {
    if (property == XCB_ATOM_NONE)
        return;
    if (values.isEmpty())
        xcb_delete_property(c, window, property);
    else
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_CARDINAL, 32,
                            quint32(values.size()), values.constData());
}

} // namespace

bool X11WindowEffects::available() {
    return connection() != nullptr;
}

std::optional<bool> X11WindowEffects::compositorActive() {
    xcb_connection_t *c = connection();
    if (!c)
        return std::nullopt;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(defaultScreenNumber());
    const xcb_atom_t selection = atom(c, name, false);
    if (selection == XCB_ATOM_NONE)
        return false;
    XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    const bool active = owner && owner->owner != XCB_WINDOW_NONE;
    qCDebug(lcOrinTheme) << name << (active ? "has an owner" : "has no owner");
    return active;
}

std::optional<bool> X11WindowEffects::blurBehindAvailable() {
    xcb_connection_t *c = connection();
    if (!c)
        return std::nullopt;
    const xcb_atom_t blur = atom(c, "_KDE_NET_WM_BLUR_BEHIND_REGION", true);
    if (blur == XCB_ATOM_NONE)
        return false;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = defaultScreenNumber(); i > 0 && it.rem > 1; --i)
        xcb_screen_next(&it);
    const xcb_window_t root = it.data->root;

    const xcb_atom_t supported = atom(c, "_NET_SUPPORTED", true);
    if (supported != XCB_ATOM_NONE) {
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            c, xcb_get_property(c, 0, root, supported, XCB_ATOM_ATOM, 0, 4096), nullptr));
        if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
            const auto *atoms =
                static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
            const int count = xcb_get_property_value_length(reply.get()) / 4;
            if (std::find(atoms, atoms + count, blur) != atoms + count)
                return true;
        }
    }
    XcbReply<xcb_list_properties_reply_t> properties(
        xcb_list_properties_reply(c, xcb_list_properties(c, root), nullptr));
    if (!properties)
        return false;
    const xcb_atom_t *names = xcb_list_properties_atoms(properties.get());
    const int count = xcb_list_properties_atoms_length(properties.get());
    const bool announced = std::find(names, names + count, blur) != names + count;
    qCDebug(lcOrinTheme) << "blur behind" << (announced ? "offered" : "not offered");
    return announced;
}

void X11WindowEffects::setFrameExtents(quint32 window, int margin) {
    xcb_connection_t *c = connection();
    if (!c || !window)
        return;
    const quint32 m = quint32(qMax(0, margin));
    // Mutter and other GTK-aware window managers: the shadow lies in these extents. Picom and
    // its forks: do not add a shadow.
    setCardinals(c, window, atom(c, "_GTK_FRAME_EXTENTS", false),
                 m ? QVector<quint32>{m, m, m, m} : QVector<quint32>{});
    setCardinals(c, window, atom(c, "_COMPTON_SHADOW", false),
                 m ? QVector<quint32>{0} : QVector<quint32>{});
    xcb_flush(c);
}

void X11WindowEffects::setBlurBehind(quint32 window, const QRegion &region) {
    xcb_connection_t *c = connection();
    if (!c || !window)
        return;
    const xcb_atom_t property = atom(c, "_KDE_NET_WM_BLUR_BEHIND_REGION", true);
    if (property == XCB_ATOM_NONE)
        return;
    QVector<quint32> values;
    for (const QRect &r : region)
        values << quint32(r.x()) << quint32(r.y()) << quint32(r.width()) << quint32(r.height());
    setCardinals(c, window, property, values);
    xcb_flush(c);
}

void X11WindowEffects::setOnAllDesktops(quint32 window) {
    xcb_connection_t *c = connection();
    if (!c || !window)
        return;
    setCardinals(c, window, atom(c, "_NET_WM_DESKTOP", false), {0xFFFFFFFFu});
    xcb_flush(c);
}

void X11WindowEffects::setInputRegion(quint32 window, const QRegion &region) {
    xcb_connection_t *c = connection();
    if (!c || !window)
        return;
    const xcb_query_extension_reply_t *xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present) {
        qCDebug(lcOrinTheme) << "no XFixes: the whole window takes input";
        return;
    }
    // Shape regions need XFixes 2; a client must announce the version it speaks first.
    XcbReply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
        nullptr));
    if (!version || version->major_version < 2)
        return;
    if (region.isEmpty()) {
        xcb_xfixes_set_window_shape_region(c, window, XCB_SHAPE_SK_INPUT, 0, 0, XCB_NONE);
        xcb_flush(c);
        return;
    }
    QVector<xcb_rectangle_t> rects;
    for (const QRect &r : region)
        rects.append({qint16(r.x()), qint16(r.y()), quint16(r.width()), quint16(r.height())});
    const xcb_xfixes_region_t shape = xcb_generate_id(c);
    xcb_xfixes_create_region(c, shape, quint32(rects.size()), rects.constData());
    xcb_xfixes_set_window_shape_region(c, window, XCB_SHAPE_SK_INPUT, 0, 0, shape);
    xcb_xfixes_destroy_region(c, shape);
    xcb_flush(c);
}

void X11WindowEffects::addWindowStates(quint32 window, const QList<QByteArray> &states) {
    xcb_connection_t *c = connection();
    if (!c || !window)
        return;
    const xcb_atom_t property = atom(c, "_NET_WM_STATE", false);
    QVector<xcb_atom_t> atoms;
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, XCB_ATOM_ATOM, 0, 1024), nullptr));
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto *data = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
        for (int i = 0; i < xcb_get_property_value_length(reply.get()) / 4; ++i)
            atoms.append(data[i]);
    }
    for (const QByteArray &state : states) {
        const xcb_atom_t value = atom(c, state, false);
        if (value != XCB_ATOM_NONE && !atoms.contains(value))
            atoms.append(value);
    }
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_ATOM, 32,
                        quint32(atoms.size()), atoms.constData());
    xcb_flush(c);
}
