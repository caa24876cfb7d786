#include "OrinHotkey/XkbKeyboardMap.h"
#include "OrinHotkey/HotKeyLogging.h"

#include "OrinHotkey/KeyCodes.h"

#include <xkbcommon/xkbcommon.h>

#include <cstdarg>
#include <cstdio>

namespace {

// xkbcommon writes to stderr by default; its complaints about a keymap that does not compile are
// answered by a null map, so they belong in the debug log.
void logToQt(xkb_context *, xkb_log_level, const char *format, va_list args) {
    char line[512];
    std::vsnprintf(line, sizeof line, format, args);
    qCDebug(lcOrinHotkey).noquote() << QString::fromUtf8(line).trimmed();
}

// The key codes of the 26 letter keys of an ANSI keyboard.
constexpr quint32 letterKeys[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  11, 12, 13,
                                  14, 15, 16, 17, 31, 32, 34, 35, 37, 38, 40, 45, 46};

// Dead keys show the spacing form of their accent, as a key cap would.
char32_t deadKeyCharacter(xkb_keysym_t sym) {
    switch (sym) {
    case XKB_KEY_dead_grave:
        return U'`';
    case XKB_KEY_dead_acute:
        return U'\u00B4';
    case XKB_KEY_dead_circumflex:
        return U'^';
    case XKB_KEY_dead_tilde:
        return U'~';
    case XKB_KEY_dead_macron:
        return U'\u00AF';
    case XKB_KEY_dead_breve:
        return U'\u02D8';
    case XKB_KEY_dead_abovedot:
        return U'\u02D9';
    case XKB_KEY_dead_diaeresis:
        return U'\u00A8';
    case XKB_KEY_dead_abovering:
        return U'\u02DA';
    case XKB_KEY_dead_doubleacute:
        return U'\u02DD';
    case XKB_KEY_dead_caron:
        return U'\u02C7';
    case XKB_KEY_dead_cedilla:
        return U'\u00B8';
    case XKB_KEY_dead_ogonek:
        return U'\u02DB';
    default:
        return 0;
    }
}

} // namespace

std::unique_ptr<XkbKeyboardMap> XkbKeyboardMap::fromNames(const Names &names,
                                                          std::optional<quint32> activeLayout) {
    xkb_context *context = newContext();
    if (!context)
        return nullptr;
    const QByteArray rules = names.rules.toUtf8();
    const QByteArray model = names.model.toUtf8();
    const QByteArray layout = names.layout.toUtf8();
    const QByteArray variant = names.variant.toUtf8();
    const QByteArray options = names.options.toUtf8();
    // Empty members are passed as null so that xkbcommon fills in its defaults.
    const auto field = [](const QByteArray &value) {
        return value.isEmpty() ? nullptr : value.constData();
    };
    const xkb_rule_names rmlvo{field(rules), field(model), field(layout), field(variant),
                               field(options)};
    xkb_keymap *keymap = xkb_keymap_new_from_names(context, &rmlvo, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_context_unref(context);
    if (!keymap)
        return nullptr;
    return std::make_unique<XkbKeyboardMap>(keymap, activeLayout);
}

xkb_context *XkbKeyboardMap::newContext() {
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (context)
        xkb_context_set_log_fn(context, logToQt);
    return context;
}

XkbKeyboardMap::XkbKeyboardMap(xkb_keymap *keymap, std::optional<quint32> activeLayout)
    : m_keymap(keymap) {
    if (!m_keymap)
        return;
    const quint32 count = xkb_keymap_num_layouts(m_keymap);
    if (activeLayout && *activeLayout < count && isLatin(*activeLayout)) {
        m_layout = *activeLayout;
        return;
    }
    for (quint32 layout = 0; layout < count; ++layout) {
        if (isLatin(layout)) {
            m_layout = layout;
            return;
        }
    }
}

XkbKeyboardMap::~XkbKeyboardMap() {
    if (m_keymap)
        xkb_keymap_unref(m_keymap);
}

// Latin when most letter keys give a Latin letter; the threshold lets Dvorak, whose top row
// holds punctuation, count as Latin while Cyrillic or Greek do not.
bool XkbKeyboardMap::isLatin(quint32 layout) const {
    int letters = 0;
    for (quint32 keyCode : letterKeys) {
        const auto x11 = KeyCodes::toX11(keyCode);
        if (!x11)
            continue;
        const xkb_keysym_t *syms = nullptr;
        if (xkb_keymap_key_get_syms_by_level(m_keymap, *x11, layout, 0, &syms) != 1)
            continue;
        const char32_t c = xkb_keysym_to_utf32(syms[0]);
        if ((c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z'))
            ++letters;
    }
    return letters * 2 > int(std::size(letterKeys));
}

std::optional<QString> XkbKeyboardMap::character(quint32 keyCode) const {
    if (!m_keymap || !m_layout)
        return std::nullopt;
    const auto x11 = KeyCodes::toX11(keyCode);
    if (!x11)
        return std::nullopt;
    const xkb_keysym_t *syms = nullptr;
    // Out-of-range groups are brought back into range by xkbcommon, as the server does.
    if (xkb_keymap_key_get_syms_by_level(m_keymap, *x11, *m_layout, 0, &syms) != 1)
        return std::nullopt;
    char32_t c = deadKeyCharacter(syms[0]);
    if (c == 0)
        c = xkb_keysym_to_utf32(syms[0]);
    // Return, Tab, Escape and Backspace translate to control characters, which are no name.
    if (c == 0 || c < 0x20 || (c >= 0x7f && c < 0xa0))
        return std::nullopt;
    return QString::fromUcs4(&c, 1);
}

quint32 XkbKeyboardMap::levelZeroSymbol(quint32 keyCode) const {
    const auto x11 = KeyCodes::toX11(keyCode);
    const xkb_keysym_t *syms = nullptr;
    if (!m_keymap || !x11 ||
        xkb_keymap_key_get_syms_by_level(m_keymap, *x11, m_layout.value_or(0), 0, &syms) != 1)
        return XKB_KEY_NoSymbol;
    return syms[0];
}

namespace {

std::optional<QString> nameOf(xkb_keysym_t symbol) {
    char name[64];
    const int length = xkb_keysym_get_name(symbol, name, sizeof name);
    if (symbol == XKB_KEY_NoSymbol || length <= 0 || size_t(length) >= sizeof name)
        return std::nullopt;
    return QString::fromLatin1(name, length);
}

} // namespace

std::optional<QString> XkbKeyboardMap::symbolName(quint32 keyCode) const {
    const xkb_keysym_t symbol = levelZeroSymbol(keyCode);
    // Only for keys that type nothing: a letter of a layout without Latin ones is no name.
    if (xkb_keysym_to_utf32(symbol) != 0)
        return std::nullopt;
    return nameOf(symbol);
}

std::optional<QString> XkbKeyboardMap::keysymName(quint32 keyCode) const {
    return nameOf(levelZeroSymbol(keyCode));
}

QString XkbKeyboardMap::layoutName() const {
    if (!m_keymap || !m_layout)
        return {};
    return QString::fromUtf8(xkb_keymap_layout_get_name(m_keymap, *m_layout));
}
