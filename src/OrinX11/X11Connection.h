#pragma once

// What every X11 implementation needs: Qt's own X connection and owned xcb replies. Include it
// from X11*.cpp files only.

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
