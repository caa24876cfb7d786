#pragma once

// What every X11 implementation needs: Qt's own X connection and owned xcb replies. Include it
// from X11*.cpp files only.

#include <QByteArray>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace OrinX11 {

struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};

// Qt's connection, or null without X11 (offscreen, Wayland, a command-line run).
inline xcb_connection_t *qtConnection() {
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!app)
        return nullptr;
    auto *x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace OrinX11

template <typename T> using XcbReply = std::unique_ptr<T, OrinX11::FreeReply>;

namespace OrinX11 {

// The atom of a name, asked of the server and waited for; XCB_ATOM_NONE on an error, or when
// `onlyIfExists` and no client has made the atom yet.
inline xcb_atom_t atom(xcb_connection_t *connection, const QByteArray &name,
                       bool onlyIfExists = true) {
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, onlyIfExists ? 1 : 0, quint16(name.size()), name.constData()),
        nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace OrinX11
