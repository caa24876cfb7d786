#pragma once

#include <QString>

#include <optional>

// One reading of the keyboard's Latin-capable layout: what each key types on its own.
class KeyboardMap {
public:
    virtual ~KeyboardMap() = default;

    // The text the key (layout-independent key code) produces with no modifiers, dead keys not
    // composed; nothing when it produces no printable text.
    virtual std::optional<QString> character(quint32 keyCode) const = 0;
    // The keyboard's own name for the key's symbol ("Print", "XF86AudioPlay"); nothing for a
    // key without one.
    virtual std::optional<QString> symbolName(quint32 keyCode) const {
        Q_UNUSED(keyCode);
        return std::nullopt;
    }
    // The name of the key's unshifted symbol whatever it types ("c", "comma", "Return"), as
    // desktops write key bindings; nothing for a key without one.
    virtual std::optional<QString> keysymName(quint32 keyCode) const {
        Q_UNUSED(keyCode);
        return std::nullopt;
    }
};
