#include "Chromet/Picking/X11/X11LoupeSupport.h"

#include "OrinX11/X11Connection.h"

#include "Chromet/Logging/Logging.h"
#include "Chromet/Picking/LoupeWindow.h"
#include "Chromet/Picking/ScreenSnapshot.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

using OrinX11::qtConnection;

xcb_window_t rootWindow(xcb_connection_t *connection) {
    const xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return it.rem ? it.data->root : XCB_NONE;
}

struct Atoms {
    xcb_atom_t activeWindow = XCB_NONE;
    xcb_atom_t supported = XCB_NONE;
    xcb_atom_t supportingWmCheck = XCB_NONE;
};

// Interned once per process; the connection is Qt's and lives as long as the application.
const Atoms &atoms(xcb_connection_t *connection) {
    static const Atoms cached = [connection] {
        auto intern = [connection](const char *name) {
            return xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name);
        };
        const xcb_intern_atom_cookie_t cookies[] = {intern("_NET_ACTIVE_WINDOW"),
                                                    intern("_NET_SUPPORTED"),
                                                    intern("_NET_SUPPORTING_WM_CHECK")};
        xcb_atom_t values[3] = {XCB_NONE, XCB_NONE, XCB_NONE};
        for (int i = 0; i < 3; ++i) {
            XcbReply<xcb_intern_atom_reply_t> reply(
                xcb_intern_atom_reply(connection, cookies[i], nullptr));
            if (reply)
                values[i] = reply->atom;
        }
        return Atoms{values[0], values[1], values[2]};
    }();
    return cached;
}

xcb_get_property_cookie_t askProperty(xcb_connection_t *connection, xcb_window_t window,
                                      xcb_atom_t property, xcb_atom_t type, uint32_t length) {
    return xcb_get_property(connection, 0, window, property, type, 0, length);
}

xcb_window_t windowValue(xcb_connection_t *connection, xcb_get_property_cookie_t cookie) {
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection, cookie, nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) < 4)
        return XCB_NONE;
    return *static_cast<const xcb_window_t *>(xcb_get_property_value(reply.get()));
}

// What the window manager says about the active window; everything empty without a running
// manager that supports _NET_ACTIVE_WINDOW. The requests go out together.
struct WindowManagerFocus {
    bool supportsActiveWindow = false;
    xcb_window_t activeWindow = XCB_NONE;
    xcb_window_t inputFocus = XCB_NONE;
};

WindowManagerFocus readFocus(xcb_connection_t *connection, xcb_window_t root) {
    const Atoms &a = atoms(connection);
    const auto checkCookie = askProperty(connection, root, a.supportingWmCheck, XCB_ATOM_WINDOW, 1);
    const auto supportedCookie = askProperty(connection, root, a.supported, XCB_ATOM_ATOM, 4096);
    const auto activeCookie = askProperty(connection, root, a.activeWindow, XCB_ATOM_WINDOW, 1);
    const auto focusCookie = xcb_get_input_focus(connection);

    WindowManagerFocus result;
    const xcb_window_t check = windowValue(connection, checkCookie);
    XcbReply<xcb_get_property_reply_t> supported(
        xcb_get_property_reply(connection, supportedCookie, nullptr));
    result.activeWindow = windowValue(connection, activeCookie);
    XcbReply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(connection, focusCookie, nullptr));
    if (focus)
        result.inputFocus = focus->focus;

    // A manager that has gone leaves _NET_SUPPORTED behind; its check window tells.
    bool live = false;
    if (check != XCB_NONE)
        live = windowValue(connection, askProperty(connection, check, a.supportingWmCheck,
                                                   XCB_ATOM_WINDOW, 1)) == check;
    if (live && supported && supported->type == XCB_ATOM_ATOM && supported->format == 32) {
        const auto *list = static_cast<const xcb_atom_t *>(xcb_get_property_value(supported.get()));
        const int count = xcb_get_property_value_length(supported.get()) / 4;
        for (int i = 0; i < count; ++i)
            result.supportsActiveWindow = result.supportsActiveWindow || list[i] == a.activeWindow;
    }
    if (!result.supportsActiveWindow)
        result.activeWindow = XCB_NONE;
    return result;
}

// The input extension's crossing event as it travels: a generic event whose type is at byte 8,
// with the crossing mode at byte 18 and the event window at byte 24 (XIEnterEvent/XILeaveEvent).
constexpr uint16_t xiLeave = 8;
constexpr size_t xiModeOffset = 18;
constexpr size_t xiEventWindowOffset = 24;
constexpr uint8_t xiModeUngrab = 2;

// The major opcode of the X input extension on Qt's connection, asked once; 0 without it.
uint8_t inputExtensionOpcode() {
    static const uint8_t opcode = [] {
        xcb_connection_t *connection = qtConnection();
        if (!connection)
            return uint8_t(0);
        const char name[] = "XInputExtension";
        XcbReply<xcb_query_extension_reply_t> reply(xcb_query_extension_reply(
            connection, xcb_query_extension(connection, sizeof name - 1, name), nullptr));
        return reply && reply->present ? reply->major_opcode : uint8_t(0);
    }();
    return opcode;
}

// None and PointerRoot are focus states, not windows.
bool isWindow(xcb_window_t window, xcb_window_t root) {
    return window != XCB_NONE && window != XCB_INPUT_FOCUS_POINTER_ROOT && window != root;
}

bool isLoupeWindow(xcb_window_t window) {
    return qobject_cast<LoupeWindow *>(QWidget::find(WId(window))) != nullptr;
}

// A window of the pick in progress. A closed pick's windows ignore the mouse while they fade and
// are hidden after: the focus and grab events their release causes may arrive after the next
// pick has begun, and are not that pick's losses.
bool isLiveLoupeWindow(QWidget *widget) {
    const auto *window = qobject_cast<LoupeWindow *>(widget);
    return window && window->isVisible() && !window->ignoresMouse();
}

bool isLiveLoupeWindow(xcb_window_t window) {
    return isLiveLoupeWindow(QWidget::find(WId(window)));
}

QScreen *screenHolding(const QPointF &global) {
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        if (frameContains(QRectF(screen->geometry()), global))
            return screen;
    }
    return QGuiApplication::primaryScreen();
}

} // namespace

X11LoupeSupport::X11LoupeSupport() {
    m_retry.setInterval(grabRetryMs);
    QObject::connect(&m_retry, &QTimer::timeout, &m_context, [this] { tryGrab(); });
}

X11LoupeSupport::~X11LoupeSupport() {
    endPick();
}

bool X11LoupeSupport::isAvailable() {
    return qtConnection() != nullptr;
}

LoupeWindow *X11LoupeSupport::createWindow() {
    return new LoupeWindow(Qt::X11BypassWindowManagerHint);
}

std::optional<QPointF> X11LoupeSupport::pointerPosition() {
    xcb_connection_t *connection = qtConnection();
    if (!connection)
        return std::nullopt;
    XcbReply<xcb_query_pointer_reply_t> reply(xcb_query_pointer_reply(
        connection, xcb_query_pointer(connection, rootWindow(connection)), nullptr));
    if (!reply)
        return std::nullopt;
    // Qt keeps each screen's native origin and divides the distance from it by the scale.
    const QPoint native(reply->root_x, reply->root_y);
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        const QRect geometry = screen->geometry();
        const qreal ratio = screen->devicePixelRatio();
        const QRect area(geometry.topLeft(), (QSizeF(geometry.size()) * ratio).toSize());
        if (area.contains(native))
            return QPointF(geometry.topLeft()) + QPointF(native - geometry.topLeft()) / ratio;
    }
    return QPointF(native);
}

void X11LoupeSupport::warpPointer(const QPointF &global) {
    xcb_connection_t *connection = qtConnection();
    QScreen *screen = screenHolding(global);
    if (!connection || !screen) {
        QCursor::setPos(global.toPoint());
        return;
    }
    const QPointF origin = QRectF(screen->geometry()).topLeft();
    const QPointF native = origin + (global - origin) * screen->devicePixelRatio();
    // The device pixel the point lies in; the tolerance absorbs the rounding of p-sized steps.
    const auto x = int16_t(std::floor(native.x() + 1e-6));
    const auto y = int16_t(std::floor(native.y() + 1e-6));
    xcb_warp_pointer(connection, XCB_NONE, rootWindow(connection), 0, 0, 0, 0, x, y);
    xcb_flush(connection);
}

LoupeSupport::FocusWindow X11LoupeSupport::focusedWindow() {
    xcb_connection_t *connection = qtConnection();
    if (!connection)
        return std::nullopt;
    const xcb_window_t root = rootWindow(connection);
    const WindowManagerFocus focus = readFocus(connection, root);
    if (isWindow(focus.activeWindow, root))
        return quint32(focus.activeWindow);
    if (isWindow(focus.inputFocus, root) || focus.inputFocus == XCB_INPUT_FOCUS_POINTER_ROOT)
        return quint32(focus.inputFocus);
    return std::nullopt;
}

void X11LoupeSupport::restoreFocus(FocusWindow previous) {
    xcb_connection_t *connection = qtConnection();
    if (!connection || !previous)
        return;
    const xcb_window_t root = rootWindow(connection);
    const auto target = xcb_window_t(*previous);
    const bool pointerRoot = target == XCB_INPUT_FOCUS_POINTER_ROOT;
    if (!pointerRoot && !isWindow(target, root))
        return;
    const WindowManagerFocus focus = readFocus(connection, root);
    if (focus.inputFocus == target)
        return;
    // Only what the pick took is given back: if another client has taken the focus since, the
    // user chose that window.
    if (isWindow(focus.inputFocus, root) && !isLoupeWindow(focus.inputFocus))
        return;

    if (focus.supportsActiveWindow && !pointerRoot) {
        xcb_client_message_event_t message;
        std::memset(&message, 0, sizeof message);
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = target;
        message.type = atoms(connection).activeWindow;
        message.data.data32[0] = 2; // source indication: a pager, acting for the user
        message.data.data32[1] = XCB_CURRENT_TIME;
        message.data.data32[2] = isWindow(focus.inputFocus, root) ? focus.inputFocus : XCB_NONE;
        xcb_send_event(connection, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&message));
        xcb_flush(connection);
        return;
    }
    // The window may have gone or been unmapped meanwhile; then the focus stays where it is.
    const xcb_void_cookie_t cookie = xcb_set_input_focus_checked(
        connection, pointerRoot ? XCB_INPUT_FOCUS_POINTER_ROOT : XCB_INPUT_FOCUS_PARENT, target,
        XCB_CURRENT_TIME);
    if (xcb_generic_error_t *error = xcb_request_check(connection, cookie)) {
        qCDebug(lcLoupe, "cannot give the focus back to window 0x%x (X error %d)", target,
                int(error->error_code));
        std::free(error);
    }
}

void X11LoupeSupport::beginPick(std::function<void()> lost) {
    endPick();
    m_lost = std::move(lost);
    m_picking = true;
    inputExtensionOpcode(); // asked here rather than while an event is being filtered
    m_lostReported = false;
    if (!m_filtering && QCoreApplication::instance()) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filtering = true;
    }
}

void X11LoupeSupport::takeInput(QWidget *view) {
    if (!m_picking || !view)
        return;
    m_view = view;
    focusWindow(view->window());
    view->setFocus(Qt::OtherFocusReason);
    // The widget grabs route every key and button to the view, whichever window they hit; the
    // window grabs below report whether the X server granted them.
    view->grabKeyboard();
    view->grabMouse();
    m_attempts = 0;
    tryGrab();
}

void X11LoupeSupport::tryGrab() {
    QWindow *handle = m_view ? m_view->window()->windowHandle() : nullptr;
    if (!m_picking || !handle) {
        m_retry.stop();
        return;
    }
    if (!m_keyboardGrabbed)
        m_keyboardGrabbed = handle->setKeyboardGrabEnabled(true);
    if (!m_pointerGrabbed)
        m_pointerGrabbed = handle->setMouseGrabEnabled(true);
    if (m_keyboardGrabbed && m_pointerGrabbed) {
        m_retry.stop();
        return;
    }
    if (++m_attempts >= grabRetries) {
        m_retry.stop();
        qCWarning(lcLoupe, "cannot grab the %s: another client holds it",
                  m_keyboardGrabbed ? "pointer"
                                    : (m_pointerGrabbed ? "keyboard" : "keyboard and pointer"));
        return;
    }
    if (!m_retry.isActive())
        m_retry.start();
}

void X11LoupeSupport::focusWindow(QWidget *window) {
    xcb_connection_t *connection = qtConnection();
    if (!connection || !window)
        return;
    // Override-redirect windows are outside the window manager's care; the focus is set
    // directly, at the current time so that no earlier timestamp makes the server ignore it.
    xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, xcb_window_t(window->winId()),
                        XCB_CURRENT_TIME);
    xcb_flush(connection);
}

void X11LoupeSupport::endPick() {
    const bool wasPicking = m_picking;
    m_picking = false;
    m_lost = {};
    m_retry.stop();
    if (m_filtering) {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
        m_filtering = false;
    }
    if (!wasPicking)
        return;
    if (m_view) {
        m_view->releaseKeyboard();
        m_view->releaseMouse();
    }
    if (xcb_connection_t *connection = qtConnection()) {
        // Also when the view went away holding them.
        if (m_keyboardGrabbed)
            xcb_ungrab_keyboard(connection, XCB_CURRENT_TIME);
        if (m_pointerGrabbed)
            xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
        xcb_flush(connection);
    }
    m_keyboardGrabbed = false;
    m_pointerGrabbed = false;
    m_view = nullptr;
}

void X11LoupeSupport::syncDrawing() {
    // A round trip: the server has handled every earlier request of Qt's connection.
    if (xcb_connection_t *connection = qtConnection())
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

bool X11LoupeSupport::keepsScreenUnderNewWindows() {
    xcb_connection_t *connection = qtConnection();
    if (!connection)
        return false;
    // The compositing manager's selection for the screen Qt opened; asked once, owned or not at
    // every pick.
    static const xcb_atom_t selection = [connection] {
        int screen = 0;
        char *host = nullptr;
        int display = 0;
        if (!xcb_parse_display(nullptr, &host, &display, &screen))
            screen = 0;
        std::free(host);
        const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
        return OrinX11::atom(connection, name, false);
    }();
    if (selection == XCB_NONE)
        return false;
    XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selection), nullptr));
    return owner && owner->owner == XCB_NONE;
}

bool X11LoupeSupport::showsPartsOfWindows() {
    xcb_connection_t *connection = qtConnection();
    if (!connection)
        return false;
    static const bool shape = [connection] {
        constexpr char name[] = "SHAPE";
        XcbReply<xcb_query_extension_reply_t> reply(xcb_query_extension_reply(
            connection, xcb_query_extension(connection, sizeof name - 1, name), nullptr));
        return reply && reply->present;
    }();
    return shape;
}

bool X11LoupeSupport::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) {
    if (!m_picking || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    switch (event->response_type & ~0x80) {
    case XCB_FOCUS_OUT: {
        const auto *focusOut = reinterpret_cast<const xcb_focus_out_event_t *>(event);
        if (!isLiveLoupeWindow(focusOut->event) || focusOut->detail == XCB_NOTIFY_DETAIL_POINTER ||
            focusOut->detail == XCB_NOTIFY_DETAIL_INFERIOR)
            break;
        if (focusOut->mode == XCB_NOTIFY_MODE_UNGRAB) {
            // The server ended the keyboard grab without being asked.
            if (m_keyboardGrabbed)
                reportLost();
        } else if (focusOut->mode != XCB_NOTIFY_MODE_GRAB) {
            checkFocus();
        }
        break;
    }
    case XCB_LEAVE_NOTIFY: {
        // The pointer grab ended without being asked while the pointer was over another window.
        const auto *leave = reinterpret_cast<const xcb_leave_notify_event_t *>(event);
        if (leave->mode == XCB_NOTIFY_MODE_UNGRAB && m_pointerGrabbed &&
            isLiveLoupeWindow(leave->event))
            reportLost();
        break;
    }
    case XCB_GE_GENERIC: {
        // The same through the input extension, which Qt uses for the pointer.
        const auto *generic = reinterpret_cast<const xcb_ge_generic_event_t *>(event);
        if (m_pointerGrabbed && generic->extension == inputExtensionOpcode() &&
            generic->event_type == xiLeave) {
            const auto *bytes = reinterpret_cast<const uint8_t *>(event);
            xcb_window_t window = XCB_NONE;
            std::memcpy(&window, bytes + xiEventWindowOffset, sizeof window);
            if (bytes[xiModeOffset] == xiModeUngrab && isLiveLoupeWindow(window))
                reportLost();
        }
        break;
    }
    case XCB_UNMAP_NOTIFY: {
        // Nothing of the pick unmaps its windows while it runs; another client did, and the
        // grabs went with the window.
        const auto *unmap = reinterpret_cast<const xcb_unmap_notify_event_t *>(event);
        if (m_view && unmap->window == xcb_window_t(m_view->window()->winId()))
            reportLost();
        break;
    }
    default:
        break;
    }
    return false;
}

void X11LoupeSupport::checkFocus() {
    xcb_connection_t *connection = qtConnection();
    if (!connection)
        return;
    // The server's present state: the focus may have moved between windows of the pick.
    XcbReply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    if (!reply)
        return;
    if (!isLiveLoupeWindow(QWidget::find(WId(reply->focus))))
        reportLost();
}

void X11LoupeSupport::reportLost() {
    if (m_lostReported || !m_lost)
        return;
    m_lostReported = true;
    QMetaObject::invokeMethod(&m_context, m_lost, Qt::QueuedConnection);
}
