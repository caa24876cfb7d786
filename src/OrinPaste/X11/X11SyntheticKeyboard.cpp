#include "OrinPaste/X11/X11SyntheticKeyboard.h"
#include "OrinPaste/PasteLogging.h"

#include "OrinX11/X11Focus.h"

#include "OrinHotkey/KeyCodes.h"

#include <QGuiApplication>
#include <QVector>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

std::unique_ptr<X11SyntheticKeyboard> X11SyntheticKeyboard::create() {
    xcb_connection_t *connection = OrinX11::qtConnection();
    if (!connection)
        return nullptr;
    return std::make_unique<X11SyntheticKeyboard>(connection);
}

X11SyntheticKeyboard::X11SyntheticKeyboard(xcb_connection_t *connection)
    : m_connection(connection) {
}

bool X11SyntheticKeyboard::isTrusted() const {
    const xcb_query_extension_reply_t *xtest = xcb_get_extension_data(m_connection, &xcb_test_id);
    return xtest && xtest->present;
}

void X11SyntheticKeyboard::requestTrust() {
    // X11 has no permission to grant: either the server offers XTEST or it does not.
    if (!isTrusted())
        qCWarning(lcOrinPaste)
            << "the X server has no XTEST extension, so keystrokes cannot be sent to other "
               "applications; enable XTEST in the X server's configuration";
}

std::optional<WId> X11SyntheticKeyboard::frontmost() const {
    if (const auto window = OrinX11::activeWindow(m_connection))
        return WId(*window);
    return std::nullopt;
}

void X11SyntheticKeyboard::activate(WId window) {
    OrinX11::activateWindow(m_connection, xcb_window_t(window),
                            OrinX11::ActivationSource::application);
}

void X11SyntheticKeyboard::postKeystroke(quint32 keyCode, quint32 modifiers) {
    const auto key = KeyCodes::toX11(keyCode);
    if (!key) {
        qCInfo(lcOrinPaste) << "no X11 key for key code" << keyCode;
        return;
    }
    QVector<quint8> held;
    for (const auto &[bit, modifierKey] : SyntheticKeyboard::modifierKeys) {
        if (modifiers & bit)
            held.append(quint8(*KeyCodes::toX11(modifierKey)));
    }
    const auto fake = [this](quint8 type, quint8 keycode) {
        xcb_test_fake_input(m_connection, type, keycode, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0,
                            0);
    };
    for (quint8 keycode : std::as_const(held))
        fake(XCB_KEY_PRESS, keycode);
    fake(XCB_KEY_PRESS, quint8(*key));
    fake(XCB_KEY_RELEASE, quint8(*key));
    for (auto it = held.crbegin(); it != held.crend(); ++it)
        fake(XCB_KEY_RELEASE, *it);
    xcb_flush(m_connection);
}
