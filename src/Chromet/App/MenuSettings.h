#pragma once

#include "Chromet/Color/ColorFormat.h"
#include "OrinHotkey/HotKeyCombo.h"

// The preferences the status menu shows, read once at the start of each build.
struct MenuSettings {
    ColorFormat defaultFormat = ColorFormat::hex;
    bool lowercaseHex = false;
    HotKeyCombo hotKey;
};
