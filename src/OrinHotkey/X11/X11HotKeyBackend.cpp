#include "OrinHotkey/X11/X11HotKeyBackend.h"
#include "OrinHotkey/HotKeyLogging.h"

#include "OrinX11/X11Connection.h"

#include "OrinHotkey/KeyCodes.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSet>
#include <QTimer>

#include <xcb/xcb.h>
// xkb.h names a member "explicit"; keep it from meeting the C++ keyword.
#define explicit dont_use_cxx_explicit
#include <xcb/xkb.h>
#undef explicit

#include <algorithm>
#include <cstdlib>

namespace {

constexpr xcb_keysym_t numLockKeysym = 0xff7f;
constexpr quint16 coreModifierBits = 0xff;

} // namespace

std::unique_ptr<X11HotKeyBackend> X11HotKeyBackend::create() {
    xcb_connection_t *connection = OrinX11::qtConnection();
    if (!connection)
        return nullptr;
    return std::make_unique<X11HotKeyBackend>(connection);
}

X11HotKeyBackend::X11HotKeyBackend(xcb_connection_t *connection)
    : m_connection(connection) {
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(m_connection)); it.rem;
         xcb_screen_next(&it))
        m_roots.append(it.data->root);
    if (const xcb_query_extension_reply_t *xkb = xcb_get_extension_data(m_connection, &xcb_xkb_id);
        xkb && xkb->present)
        m_xkbFirstEvent = xkb->first_event;
    m_numLockMask = readNumLockMask();
    m_repeatWindow = readRepeatWindow();
}

X11HotKeyBackend::~X11HotKeyBackend() {
    // Once the application is gone, so is Qt's connection, and the server dropped our grabs
    // with it.
    if (!QCoreApplication::instance())
        return;
    if (m_filterInstalled)
        QCoreApplication::instance()->removeNativeEventFilter(this);
    for (auto &[ref, grab] : m_grabs)
        ungrab(grab);
    xcb_flush(m_connection);
}

quint16 X11HotKeyBackend::x11Modifiers(quint32 carbonModifiers) {
    quint16 mask = 0;
    if (carbonModifiers & HotKeyCombo::controlKey)
        mask |= XCB_MOD_MASK_CONTROL;
    if (carbonModifiers & HotKeyCombo::optionKey)
        mask |= XCB_MOD_MASK_1;
    if (carbonModifiers & HotKeyCombo::shiftKey)
        mask |= XCB_MOD_MASK_SHIFT;
    if (carbonModifiers & HotKeyCombo::cmdKey)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

void X11HotKeyBackend::installHandler(Handler handler) {
    m_handler = std::move(handler);
    if (!m_filterInstalled && QCoreApplication::instance()) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filterInstalled = true;
    }
}

void X11HotKeyBackend::registerHotKey(const HotKeyCombo &combo, HotKeyIdentifier identifier,
                                      Answer answer) {
    answer(grabCombo(combo, identifier));
}

std::optional<HotKeyBackend::Ref> X11HotKeyBackend::grabCombo(const HotKeyCombo &combo,
                                                              HotKeyIdentifier identifier) {
    const auto keycode = KeyCodes::toX11(combo.keyCode);
    if (!keycode) {
        qCInfo(lcOrinHotkey) << "no X11 key for key code" << combo.keyCode;
        return std::nullopt;
    }
    Grab grab;
    grab.identifier = identifier;
    grab.keycode = quint8(*keycode);
    grab.modifiers = x11Modifiers(combo.modifiers);
    // The server would let this client grab the same keys twice silently, and releasing one
    // would then release the other; refuse the second as the other client's would be refused.
    for (const auto &[ref, held] : m_grabs) {
        if (held.keycode == grab.keycode && held.modifiers == grab.modifiers)
            return std::nullopt;
    }
    if (!this->grab(grab))
        return std::nullopt;
    const Ref ref = m_nextRef++;
    m_grabs.emplace(ref, std::move(grab));
    return ref;
}

void X11HotKeyBackend::unregisterHotKey(Ref ref) {
    const auto it = m_grabs.find(ref);
    if (it == m_grabs.end())
        return;
    if (QCoreApplication::instance()) {
        ungrab(it->second);
        xcb_flush(m_connection);
    }
    m_grabs.erase(it);
}

bool X11HotKeyBackend::grab(Grab &grab) {
    QVector<quint16> variants;
    for (quint16 lock : {quint16(0), quint16(XCB_MOD_MASK_LOCK), m_numLockMask,
                         quint16(XCB_MOD_MASK_LOCK | m_numLockMask)}) {
        const quint16 modifiers = grab.modifiers | lock;
        if (!variants.contains(modifiers))
            variants.append(modifiers);
    }

    struct Attempt {
        xcb_window_t root;
        quint16 modifiers;
        xcb_void_cookie_t cookie;
    };
    QVector<Attempt> attempts;
    for (quint32 root : std::as_const(m_roots)) {
        for (quint16 modifiers : std::as_const(variants)) {
            attempts.append({root, modifiers,
                             xcb_grab_key_checked(m_connection, 0, root, modifiers, grab.keycode,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)});
        }
    }
    bool refused = false;
    QVector<Attempt> held;
    for (const Attempt &attempt : std::as_const(attempts)) {
        XcbReply<xcb_generic_error_t> error(xcb_request_check(m_connection, attempt.cookie));
        if (error) {
            if (!refused)
                qCInfo(lcOrinHotkey)
                    << "key grab refused, X error" << error->error_code << "keycode"
                    << int(grab.keycode) << "modifiers" << attempt.modifiers;
            refused = true;
        } else {
            held.append(attempt);
        }
    }
    if (refused) {
        // All or nothing: a half-grabbed combination would work only in some lock states.
        for (const Attempt &attempt : std::as_const(held))
            xcb_ungrab_key(m_connection, grab.keycode, attempt.root, attempt.modifiers);
        xcb_flush(m_connection);
        grab.grabbed.clear();
        return false;
    }
    grab.grabbed = variants;
    return true;
}

void X11HotKeyBackend::ungrab(Grab &grab) {
    for (quint32 root : std::as_const(m_roots)) {
        for (quint16 modifiers : std::as_const(grab.grabbed))
            xcb_ungrab_key(m_connection, grab.keycode, root, modifiers);
    }
    grab.grabbed.clear();
}

quint16 X11HotKeyBackend::readNumLockMask() const {
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    const auto modifierCookie = xcb_get_modifier_mapping(m_connection);
    const auto keyboardCookie = xcb_get_keyboard_mapping(
        m_connection, setup->min_keycode, quint8(setup->max_keycode - setup->min_keycode + 1));
    XcbReply<xcb_get_modifier_mapping_reply_t> modifierMap(
        xcb_get_modifier_mapping_reply(m_connection, modifierCookie, nullptr));
    XcbReply<xcb_get_keyboard_mapping_reply_t> keyboardMap(
        xcb_get_keyboard_mapping_reply(m_connection, keyboardCookie, nullptr));
    if (!modifierMap || !keyboardMap)
        return 0;

    QSet<xcb_keycode_t> numLockKeys;
    const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(keyboardMap.get());
    const int keysymCount = xcb_get_keyboard_mapping_keysyms_length(keyboardMap.get());
    const int perKeycode = keyboardMap->keysyms_per_keycode;
    for (int i = 0; perKeycode > 0 && i < keysymCount; ++i) {
        if (keysyms[i] == numLockKeysym)
            numLockKeys.insert(xcb_keycode_t(setup->min_keycode + i / perKeycode));
    }

    quint16 mask = 0;
    const xcb_keycode_t *keycodes = xcb_get_modifier_mapping_keycodes(modifierMap.get());
    const int perModifier = modifierMap->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int j = 0; j < perModifier; ++j) {
            const xcb_keycode_t keycode = keycodes[modifier * perModifier + j];
            if (keycode != 0 && numLockKeys.contains(keycode))
                mask |= quint16(1u << modifier);
        }
    }
    // Num Lock on a modifier a combination uses would make the grabs ambiguous; ignore it.
    return mask & ~(XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_LOCK | XCB_MOD_MASK_1 |
                    XCB_MOD_MASK_4);
}

quint32 X11HotKeyBackend::readRepeatWindow() {
    // Xorg's default delay; an XKB-less server repeats at about this pace as well.
    quint32 delay = 660;
    quint32 interval = 40;
    if (m_xkbFirstEvent != 0) {
        // Asking for no change reports the flags in force.
        XcbReply<xcb_xkb_per_client_flags_reply_t> flags(xcb_xkb_per_client_flags_reply(
            m_connection,
            xcb_xkb_per_client_flags(m_connection, XCB_XKB_ID_USE_CORE_KBD, 0, 0, 0, 0, 0),
            nullptr));
        m_detectableRepeat =
            flags && (flags->value & XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT);
        XcbReply<xcb_xkb_get_controls_reply_t> controls(xcb_xkb_get_controls_reply(
            m_connection, xcb_xkb_get_controls(m_connection, XCB_XKB_ID_USE_CORE_KBD), nullptr));
        if (controls) {
            delay = controls->repeatDelay;
            interval = controls->repeatInterval;
        }
    }
    return std::max(delay, interval) + 250;
}

bool X11HotKeyBackend::isRepeat(Grab &grab, quint32 time) {
    // A repeating key sends a release and a press of the same time, or (with detectable
    // auto-repeat) presses alone until the one release at the end. A release can go to another
    // client (a pick that ends while the key is down gives the keyboard back): without one, a
    // press is new, unless detectable auto-repeat is on; then when it comes long after the last.
    bool repeat = false;
    if (grab.held && m_detectableRepeat)
        repeat = !grab.released && quint32(time - grab.lastPress) <= m_repeatWindow;
    else if (grab.held)
        repeat = grab.released && grab.releaseTime == time;
    grab.held = true;
    grab.released = false;
    grab.lastPress = time;
    return repeat;
}

void X11HotKeyBackend::scheduleRenewal() {
    if (m_renewalPending)
        return;
    m_renewalPending = true;
    // Mapping events come in bursts; renew once after the burst, outside Qt's event handling.
    QTimer::singleShot(0, &m_context, [this] {
        m_renewalPending = false;
        renewGrabs();
    });
}

void X11HotKeyBackend::renewGrabs() {
    m_numLockMask = readNumLockMask();
    qCDebug(lcOrinHotkey) << "keyboard mapping changed; Num Lock mask" << m_numLockMask;
    for (auto &[ref, grab] : m_grabs) {
        ungrab(grab);
        if (!this->grab(grab))
            qCWarning(lcOrinHotkey)
                << "shortcut lost after a keyboard mapping change, keycode" << int(grab.keycode);
    }
    xcb_flush(m_connection);
}

bool X11HotKeyBackend::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const quint8 type = event->response_type & 0x7f;

    if (type == XCB_KEY_PRESS) {
        const auto *press = static_cast<const xcb_key_press_event_t *>(message);
        // Presses come to the root through the passive grab. While this process holds an active
        // keyboard grab (a pick does) the passive grab cannot activate, and the press comes to
        // the grabbing window instead: it is still the shortcut.
        // XKB-aware connections also carry the group in the state; only core modifiers count.
        const quint16 modifiers =
            press->state & coreModifierBits & ~(XCB_MOD_MASK_LOCK | m_numLockMask);
        for (auto &[ref, grab] : m_grabs) {
            if (grab.keycode == press->detail && grab.modifiers == modifiers &&
                !grab.grabbed.isEmpty()) {
                if (isRepeat(grab, press->time))
                    qCDebug(lcOrinHotkey) << "auto-repeat of a held shortcut ignored";
                else if (m_handler)
                    m_handler(grab.identifier);
                return true;
            }
        }
        return false;
    }
    if (type == XCB_KEY_RELEASE) {
        // Whatever the modifiers are by now (they may be let go first).
        const auto *release = static_cast<const xcb_key_release_event_t *>(message);
        for (auto &[ref, grab] : m_grabs) {
            if (grab.keycode == release->detail) {
                grab.released = true;
                grab.releaseTime = release->time;
            }
        }
        return false;
    }
    if (type == XCB_MAPPING_NOTIFY) {
        const auto *mapping = static_cast<const xcb_mapping_notify_event_t *>(message);
        if (mapping->request != XCB_MAPPING_POINTER)
            scheduleRenewal();
        return false;
    }
    if (m_xkbFirstEvent != 0 && type == m_xkbFirstEvent) {
        // Every XKB event has its XKB type in the second byte.
        const quint8 xkbType = reinterpret_cast<const quint8 *>(message)[1];
        if (xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY)
            scheduleRenewal();
        return false;
    }
    return false;
}
