#include "OrinHotkey/X11/X11RecorderKeySource.h"

#include "OrinHotkey/KeyCodes.h"
#include "OrinX11/X11Connection.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>

namespace {

// Key positions 54-63: Super, Shift, Caps Lock, Alt and Control, left and right.
bool isModifierPosition(std::optional<quint32> keyCode) {
    return keyCode && *keyCode >= 54 && *keyCode <= 63;
}

bool isRoot(xcb_connection_t *connection, xcb_window_t window) {
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem;
         xcb_screen_next(&it)) {
        if (it.data->root == window)
            return true;
    }
    return false;
}

} // namespace

std::unique_ptr<X11RecorderKeySource> X11RecorderKeySource::create(Handler handler) {
    if (!OrinX11::qtConnection())
        return nullptr;
    std::unique_ptr<X11RecorderKeySource> source(new X11RecorderKeySource(std::move(handler)));
    // The filter installed last runs first: ahead of the hot-key backend's.
    QCoreApplication::instance()->installNativeEventFilter(source.get());
    return source;
}

X11RecorderKeySource::X11RecorderKeySource(Handler handler)
    : m_handler(std::move(handler)) {
}

X11RecorderKeySource::~X11RecorderKeySource() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11RecorderKeySource::nativeEventFilter(const QByteArray &eventType, void *message,
                                             qintptr *) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
        return false;
    const auto *press = static_cast<const xcb_key_press_event_t *>(message);
    xcb_connection_t *x = OrinX11::qtConnection();
    if (!x || !isRoot(x, press->event) || !QGuiApplication::focusWindow())
        return false;

    Qt::KeyboardModifiers modifiers;
    if (press->state & XCB_MOD_MASK_SHIFT)
        modifiers |= Qt::ShiftModifier;
    if (press->state & XCB_MOD_MASK_CONTROL)
        modifiers |= Qt::ControlModifier;
    if (press->state & XCB_MOD_MASK_1)
        modifiers |= Qt::AltModifier;
    if (press->state & XCB_MOD_MASK_4)
        modifiers |= Qt::MetaModifier;
    const std::optional<quint32> keyCode = KeyCodes::fromX11(press->detail);
    // The handler may end the recording and with it this object: run a copy, touch nothing after.
    const Handler handler = m_handler;
    if (handler)
        handler(keyCode, modifiers, isModifierPosition(keyCode));
    return true;
}
