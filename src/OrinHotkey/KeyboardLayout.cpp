#include "OrinHotkey/KeyboardLayout.h"
#include "OrinHotkey/HotKeyLogging.h"

#include "OrinHotkey/KeyCodes.h"
#include "OrinHotkey/XkbKeyboardMap.h"
#include "OrinPlatform/PlatformBackend.h"

#ifndef ORIN_NO_X11
#include "OrinHotkey/X11/X11KeyboardMap.h"
#endif

namespace {

KeyboardLayout::Provider &provider() {
    static KeyboardLayout::Provider instance;
    return instance;
}

// A map that knows no key, for a system without any keymap data.
class EmptyKeyboardMap final : public KeyboardMap {
public:
    std::optional<QString> character(quint32) const override { return std::nullopt; }
};

// Compiled once: these names come from the environment, which does not change while we run.
std::shared_ptr<const KeyboardMap> usMap() {
    static const std::shared_ptr<const KeyboardMap> map = [] {
        std::shared_ptr<const KeyboardMap> us =
            XkbKeyboardMap::fromNames({{}, {}, QStringLiteral("us"), {}, {}});
        if (!us) {
            qCWarning(lcOrinHotkey) << "no keymap data found; key names fall back to key numbers";
            us = std::make_shared<EmptyKeyboardMap>();
        }
        return us;
    }();
    return map;
}

std::shared_ptr<const KeyboardMap> defaultMap() {
    static const std::shared_ptr<const KeyboardMap> map =
        []() -> std::shared_ptr<const KeyboardMap> {
        std::shared_ptr<XkbKeyboardMap> defaults = XkbKeyboardMap::fromNames({});
        if (defaults && defaults->hasLatinLayout())
            return defaults;
        return usMap();
    }();
    return map;
}

// The window system's own keymap, where the platform has one to read.
std::shared_ptr<XkbKeyboardMap> windowSystemMap() {
#ifndef ORIN_NO_X11
    if (PlatformBackend::kind() == PlatformBackend::Kind::X11)
        return X11KeyboardMap::current();
#endif
    return nullptr;
}

struct FixedName {
    quint32 keyCode;
    const char16_t *name;
};

// The words Qt prints for these keys in menus, so the shortcut reads like its neighbours there.
constexpr FixedName fixedNames[] = {
    {36, u"Return"}, {48, u"Tab"},   {49, u"Space"},  {51, u"Backspace"}, {53, u"Esc"},
    {117, u"Del"},   {123, u"Left"}, {124, u"Right"}, {125, u"Down"},     {126, u"Up"},
    {122, u"F1"},    {120, u"F2"},   {99, u"F3"},     {118, u"F4"},       {96, u"F5"},
    {97, u"F6"},     {98, u"F7"},    {100, u"F8"},    {101, u"F9"},       {109, u"F10"},
    {103, u"F11"},   {111, u"F12"},
};

// Keys that type nothing, by key code (the table's, or extendedBase + evdev code).
constexpr FixedName keyNames[] = {
    {114, u"Insert"},
    {115, u"Home"},
    {116, u"Page Up"},
    {119, u"End"},
    {121, u"Page Down"},
    {110, u"Menu"},
    {76, u"Enter"},
    {71, u"Clear"},
    {72, u"Volume Up"},
    {73, u"Volume Down"},
    {74, u"Mute"},
    {105, u"F13"},
    {107, u"F14"},
    {113, u"F15"},
    {106, u"F16"},
    {64, u"F17"},
    {79, u"F18"},
    {80, u"F19"},
    {90, u"F20"},
    {KeyCodes::extendedBase + 191, u"F21"},
    {KeyCodes::extendedBase + 192, u"F22"},
    {KeyCodes::extendedBase + 193, u"F23"},
    {KeyCodes::extendedBase + 194, u"F24"},
    {KeyCodes::extendedBase + 99, u"Print"},
    {KeyCodes::extendedBase + 70, u"Scroll Lock"},
    {KeyCodes::extendedBase + 119, u"Pause"},
    {KeyCodes::extendedBase + 164, u"Play/Pause"},
    {KeyCodes::extendedBase + 166, u"Stop"},
    {KeyCodes::extendedBase + 165, u"Previous Track"},
    {KeyCodes::extendedBase + 163, u"Next Track"},
};

constexpr quint32 lookupRange = 128;

std::optional<QString> keyName(quint32 keyCode, const KeyboardMap *map) {
    for (const FixedName &named : keyNames) {
        if (named.keyCode == keyCode)
            return QString::fromUtf16(named.name);
    }
    if (!map)
        return std::nullopt;
    // Any other key the keymap names: its symbol, without the vendor prefix of the XFree86
    // multimedia symbols ("XF86Calculator" shows as "Calculator").
    std::optional<QString> symbol = map->symbolName(keyCode);
    if (symbol && symbol->startsWith(QLatin1String("XF86")) && symbol->size() > 4)
        symbol->remove(0, 4);
    return symbol;
}

std::optional<QString> fixedName(quint32 keyCode) {
    for (const FixedName &fixed : fixedNames) {
        if (fixed.keyCode == keyCode)
            return QString::fromUtf16(fixed.name);
    }
    return std::nullopt;
}

} // namespace

std::shared_ptr<const KeyboardMap> KeyboardLayout::current() {
    if (provider()) {
        if (auto map = provider()())
            return map;
    }
    if (std::shared_ptr<XkbKeyboardMap> server = windowSystemMap()) {
        if (server->hasLatinLayout())
            return server;
        return usMap();
    }
    return defaultMap();
}

void KeyboardLayout::setProvider(Provider newProvider) {
    provider() = std::move(newProvider);
}

QString KeyboardLayout::displayName(quint32 keyCode) {
    // Fixed names need no keymap.
    if (auto name = fixedName(keyCode))
        return *name;
    return displayName(keyCode, current().get());
}

QString KeyboardLayout::displayName(quint32 keyCode, const KeyboardMap *map) {
    if (auto name = fixedName(keyCode))
        return *name;
    if (map) {
        if (const auto text = map->character(keyCode))
            return text->toUpper();
    }
    if (auto name = keyName(keyCode, map))
        return *name;
    return QLatin1Char('#') + QString::number(keyCode);
}

bool KeyboardLayout::hasName(quint32 keyCode) {
    if (fixedName(keyCode))
        return true;
    const std::shared_ptr<const KeyboardMap> map = current();
    return map->character(keyCode) || keyName(keyCode, map.get());
}

std::optional<QString> KeyboardLayout::character(quint32 keyCode) {
    return current()->character(keyCode);
}

std::optional<quint32> KeyboardLayout::keyCodeForCharacter(const QString &text) {
    return keyCodeForCharacter(text, current().get());
}

std::optional<quint32> KeyboardLayout::keyCodeForCharacter(const QString &text,
                                                           const KeyboardMap *map) {
    if (!map)
        return std::nullopt;
    const QString wanted = text.toLower();
    for (quint32 keyCode = 0; keyCode < lookupRange; ++keyCode) {
        const auto produced = map->character(keyCode);
        if (produced && produced->toLower() == wanted)
            return keyCode;
    }
    return std::nullopt;
}
