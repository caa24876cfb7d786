#pragma once

#include "OrinHotkey/KeyboardMap.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Key names and key/character lookups in the current keyboard layout. The layout is read afresh
// for every lookup, so a layout switch shows at the next display.
class KeyboardLayout {
public:
    using Provider = std::function<std::shared_ptr<const KeyboardMap>()>;

    KeyboardLayout() = delete;

    // The name shown for a key: fixed names for Return, Tab, Space, the arrows, F1-F12 and a
    // few more; otherwise the key's character upper-cased; otherwise the name of a key that
    // types nothing ("Home", "Print", "F21"), or the keymap's symbol for it; otherwise "#" and
    // the code.
    static QString displayName(quint32 keyCode);
    static QString displayName(quint32 keyCode, const KeyboardMap *map);
    // Whether displayName() has more than the number to show for the key in the current layout.
    static bool hasName(quint32 keyCode);

    static std::optional<QString> character(quint32 keyCode);

    // The lowest key code in 0...127 whose character equals text, ignoring case.
    static std::optional<quint32> keyCodeForCharacter(const QString &text);
    static std::optional<quint32> keyCodeForCharacter(const QString &text, const KeyboardMap *map);

    // The current layout: the provider's when one is set, else the X server's keymap, else the
    // default keymap (XKB_DEFAULT_* or US); US when none of these has a Latin group. Never null.
    static std::shared_ptr<const KeyboardMap> current();

    // Replaces where the layout comes from (tests); an empty provider restores the system's.
    static void setProvider(Provider provider);
};
