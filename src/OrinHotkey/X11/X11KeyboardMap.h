#pragma once

#include "OrinHotkey/XkbKeyboardMap.h"

#include <memory>

// The X server's current keymap and active group, read through Qt's X connection.
class X11KeyboardMap {
public:
    X11KeyboardMap() = delete;

    // Null when the application does not run on X11 or the server has no usable XKB.
    static std::unique_ptr<XkbKeyboardMap> current();
};
