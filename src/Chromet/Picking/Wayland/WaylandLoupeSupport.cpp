#include "Chromet/Picking/Wayland/WaylandLoupeSupport.h"

#include "Chromet/Logging/Logging.h"
#include "Chromet/Picking/LoupeView.h"
#include "Chromet/Picking/Wayland/WaylandLoupeWindow.h"

#include "OrinWayland/WaylandConnection.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

namespace {

// The keys the loupe acts on.
Qt::Key qtKey(xkb_keysym_t sym) {
    switch (sym) {
    case XKB_KEY_Left:
        return Qt::Key_Left;
    case XKB_KEY_Right:
        return Qt::Key_Right;
    case XKB_KEY_Up:
        return Qt::Key_Up;
    case XKB_KEY_Down:
        return Qt::Key_Down;
    case XKB_KEY_Return:
        return Qt::Key_Return;
    case XKB_KEY_KP_Enter:
        return Qt::Key_Enter;
    case XKB_KEY_space:
        return Qt::Key_Space;
    case XKB_KEY_Escape:
        return Qt::Key_Escape;
    default:
        return Qt::Key_unknown;
    }
}

} // namespace

struct WaylandLoupeSupport::Listeners {
    static WaylandLoupeSupport *self(void *data) {
        return static_cast<WaylandLoupeSupport *>(data);
    }

    static constexpr wl_pointer_listener pointer = {
        .enter =
            [](void *data, wl_pointer *pointer, uint32_t serial, wl_surface *surface, wl_fixed_t x,
               wl_fixed_t y) {
                if (!self(data)->windowOf(surface))
                    return;
                // No cursor over the loupe: the ring marks the pixel.
                wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
                self(data)->pointerAt(surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
            },
        .leave = [](void *data, wl_pointer *, uint32_t,
                    wl_surface *) { self(data)->m_pointerWindow = nullptr; },
        .motion =
            [](void *data, wl_pointer *, uint32_t, wl_fixed_t x, wl_fixed_t y) {
                WaylandLoupeSupport *support = self(data);
                if (support->m_pointerWindow)
                    support->pointerAt(support->m_pointerWindow->surface(), wl_fixed_to_double(x),
                                       wl_fixed_to_double(y));
            },
        .button =
            [](void *data, wl_pointer *, uint32_t, uint32_t, uint32_t button, uint32_t state) {
                self(data)->button(button, state == WL_POINTER_BUTTON_STATE_PRESSED);
            },
        .axis = [](void *, wl_pointer *, uint32_t, uint32_t, wl_fixed_t) {},
        .frame = [](void *, wl_pointer *) {},
        .axis_source = [](void *, wl_pointer *, uint32_t) {},
        .axis_stop = [](void *, wl_pointer *, uint32_t, uint32_t) {},
        .axis_discrete = [](void *, wl_pointer *, uint32_t, int32_t) {},
#ifdef WL_POINTER_AXIS_VALUE120_SINCE_VERSION
        .axis_value120 = [](void *, wl_pointer *, uint32_t, int32_t) {},
#endif
    };

    static constexpr wl_keyboard_listener keyboard = {
        .keymap =
            [](void *data, wl_keyboard *, uint32_t format, int32_t fd, uint32_t size) {
                if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1)
                    self(data)->setKeymap(fd, size);
                close(fd);
            },
        .enter =
            [](void *data, wl_keyboard *, uint32_t, wl_surface *surface, wl_array *) {
                if (WaylandLoupeWindow *window = self(data)->windowOf(surface))
                    self(data)->m_keyWindow = window;
            },
        .leave = [](void *data, wl_keyboard *, uint32_t,
                    wl_surface *) { self(data)->m_repeat.stop(); },
        .key = [](void *data, wl_keyboard *, uint32_t, uint32_t, uint32_t key,
                  uint32_t state) { self(data)->key(key, state == WL_KEYBOARD_KEY_STATE_PRESSED); },
        .modifiers =
            [](void *data, wl_keyboard *, uint32_t, uint32_t depressed, uint32_t latched,
               uint32_t locked, uint32_t group) {
                if (xkb_state *state = self(data)->m_keyState)
                    xkb_state_update_mask(state, depressed, latched, locked, 0, 0, group);
            },
        .repeat_info =
            [](void *data, wl_keyboard *, int32_t rate, int32_t delay) {
                self(data)->m_repeatRate = rate;
                self(data)->m_repeatDelay = delay;
            },
    };
};

bool WaylandLoupeSupport::isAvailable(WaylandConnection *connection) {
    return connection && (connection->layerShell() || connection->windowManager()) &&
           connection->seat() && connection->subcompositor() && connection->shm();
}

bool WaylandLoupeSupport::usesWindows(WaylandConnection *connection) {
    return !connection->layerShell() ||
           (connection->windowManager() &&
            qEnvironmentVariable("CHROMET_LOUPE_SURFACE") == QLatin1String("window"));
}

WaylandLoupeSupport::WaylandLoupeSupport(WaylandConnection *connection)
    : m_connection(connection)
    , m_xkb(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {
    setSeatCapabilities(connection->seatCapabilities());
    QObject::connect(connection, &WaylandConnection::seatCapabilitiesChanged, &m_repeat,
                     [this](quint32 capabilities) { setSeatCapabilities(capabilities); });
    QObject::connect(&m_repeat, &QTimer::timeout, [this] {
        m_repeat.setInterval(m_repeatRate > 0 ? 1000 / m_repeatRate : 40);
        key(m_repeatKey, true);
    });
}

WaylandLoupeSupport::~WaylandLoupeSupport() {
    for (WaylandLoupeWindow *window : std::as_const(m_windows))
        window->detach();
    if (m_wlPointer)
        wl_pointer_release(m_wlPointer);
    if (m_keyboard)
        wl_keyboard_release(m_keyboard);
    xkb_state_unref(m_keyState);
    xkb_keymap_unref(m_keymap);
    xkb_context_unref(m_xkb);
}

void WaylandLoupeSupport::setSeatCapabilities(quint32 capabilities) {
    if ((capabilities & WL_SEAT_CAPABILITY_POINTER) && !m_wlPointer) {
        m_wlPointer = wl_seat_get_pointer(m_connection->seat());
        wl_pointer_add_listener(m_wlPointer, &Listeners::pointer, this);
    }
    if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && !m_keyboard) {
        m_keyboard = wl_seat_get_keyboard(m_connection->seat());
        wl_keyboard_add_listener(m_keyboard, &Listeners::keyboard, this);
    }
}

void WaylandLoupeSupport::setKeymap(int fd, quint32 size) {
    void *text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (text == MAP_FAILED)
        return;
    xkb_keymap *keymap =
        xkb_keymap_new_from_string(m_xkb, static_cast<const char *>(text),
                                   XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    munmap(text, size);
    if (!keymap)
        return;
    xkb_state_unref(m_keyState);
    xkb_keymap_unref(m_keymap);
    m_keymap = keymap;
    m_keyState = xkb_state_new(keymap);
}

LoupeWindow *WaylandLoupeSupport::createWindow() {
    auto *window = new WaylandLoupeWindow(this);
    m_windows.append(window);
    return window;
}

void WaylandLoupeSupport::forget(WaylandLoupeWindow *window) {
    m_windows.removeOne(window);
    if (m_pointerWindow == window)
        m_pointerWindow = nullptr;
    if (m_keyWindow == window)
        m_keyWindow = nullptr;
}

WaylandLoupeWindow *WaylandLoupeSupport::windowOf(wl_surface *surface) const {
    for (WaylandLoupeWindow *window : m_windows) {
        if (surface && window->surface() == surface)
            return window;
    }
    return nullptr;
}

std::optional<QPointF> WaylandLoupeSupport::pointerPosition() {
    return m_picking ? m_pointer : std::nullopt;
}

void WaylandLoupeSupport::beginPick(std::function<void()> lost) {
    m_lost = std::move(lost);
    m_picking = true;
    m_pointer.reset();
}

void WaylandLoupeSupport::endPick() {
    m_picking = false;
    m_lost = {};
    m_repeat.stop();
    m_buttons = {};
}

void WaylandLoupeSupport::syncDrawing() {
    m_connection->roundtrip();
}

void WaylandLoupeSupport::surfaceClosed() {
    if (m_lost)
        QMetaObject::invokeMethod(qApp, m_lost, Qt::QueuedConnection);
}

void WaylandLoupeSupport::pointerAt(wl_surface *surface, double x, double y) {
    WaylandLoupeWindow *window = windowOf(surface);
    LoupeView *view = window ? window->view() : nullptr;
    m_pointerWindow = window;
    if (!view || window->ignoresMouse())
        return;
    const QPointF local(x, y);
    const QPointF global = window->frame().topLeft() + local;
    if (m_picking)
        m_pointer = global;
    ++m_generation;
    QMouseEvent move(QEvent::MouseMove, local, local, global, Qt::NoButton, m_buttons,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(view, &move);
}

void WaylandLoupeSupport::button(quint32 code, bool pressed) {
    WaylandLoupeWindow *window = m_pointerWindow;
    LoupeView *view = window ? window->view() : nullptr;
    const Qt::MouseButton button = code == BTN_LEFT     ? Qt::LeftButton
                                   : code == BTN_RIGHT  ? Qt::RightButton
                                   : code == BTN_MIDDLE ? Qt::MiddleButton
                                                        : Qt::NoButton;
    if (!view || window->ignoresMouse() || button == Qt::NoButton || !m_pointer)
        return;
    m_buttons.setFlag(button, pressed);
    ++m_generation;
    const QPointF global = *m_pointer;
    const QPointF local = global - window->frame().topLeft();
    QMouseEvent event(pressed ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, local, local,
                      global, button, m_buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &event);
}

void WaylandLoupeSupport::key(quint32 key, bool pressed) {
    if (!m_keyState)
        return;
    const xkb_keycode_t code = key + 8;
    if (!pressed) {
        if (m_repeatKey == key)
            m_repeat.stop();
        return;
    }
    WaylandLoupeWindow *window = m_keyWindow;
    if (!window || !window->view()) {
        for (WaylandLoupeWindow *candidate : std::as_const(m_windows)) {
            if (candidate->isPresented() && candidate->view()) {
                window = candidate;
                break;
            }
        }
    }
    if (!window || !window->view() || window->ignoresMouse())
        return;
    Qt::KeyboardModifiers modifiers;
    if (xkb_state_mod_name_is_active(m_keyState, XKB_MOD_NAME_SHIFT, XKB_STATE_MODS_EFFECTIVE) > 0)
        modifiers |= Qt::ShiftModifier;
    if (xkb_state_mod_name_is_active(m_keyState, XKB_MOD_NAME_CTRL, XKB_STATE_MODS_EFFECTIVE) > 0)
        modifiers |= Qt::ControlModifier;
    if (xkb_state_mod_name_is_active(m_keyState, XKB_MOD_NAME_ALT, XKB_STATE_MODS_EFFECTIVE) > 0)
        modifiers |= Qt::AltModifier;
    const xkb_keysym_t sym = xkb_state_key_get_one_sym(m_keyState, code);
    // Until the pointer has crossed a loupe nothing shows where a pick would land: only Escape
    // acts, the other keys are swallowed.
    if (!m_pointer && sym != XKB_KEY_Escape)
        return;
    ++m_generation;
    // Named by its symbol alone: a virtual keyboard's keymap (remote input, scripted keys) may
    // number its keys freely, so the key code says nothing here.
    QKeyEvent event(QEvent::KeyPress, qtKey(sym), modifiers, 0, sym, 0);
    QCoreApplication::sendEvent(window->view(), &event);

    if (m_repeatKey != key || !m_repeat.isActive()) {
        m_repeat.stop();
        if (m_keymap && xkb_keymap_key_repeats(m_keymap, code) && m_repeatRate > 0) {
            m_repeatKey = key;
            m_repeat.start(m_repeatDelay);
        }
    }
}
