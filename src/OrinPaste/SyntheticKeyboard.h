#pragma once

#include "OrinHotkey/HotKeyCombo.h"

#include <QtGlobal>
#include <qwindowdefs.h>

#include <memory>
#include <optional>
#include <utility>

// The platform's synthetic keyboard input and the check whether this process may use it.
class SyntheticKeyboard {
public:
    virtual ~SyntheticKeyboard() = default;

    virtual bool isTrusted() const = 0;
    // Asks the platform for permission where it has such a thing; tells the log otherwise.
    virtual void requestTrust() = 0;

    // The window that has the keyboard now, if known.
    virtual std::optional<WId> frontmost() const = 0;
    virtual void activate(WId window) = 0;

    // Presses the modifiers (Carbon mask, as HotKeyCombo), presses and releases the key, then
    // releases the modifiers. A key that has no equivalent here is skipped.
    virtual void postKeystroke(quint32 keyCode, quint32 modifiers) = 0;

    // Modifier bits and the key codes of their left-hand keys, in the order they are pressed.
    static constexpr std::pair<quint32, quint32> modifierKeys[] = {
        {HotKeyCombo::controlKey, 59},
        {HotKeyCombo::optionKey, 58},
        {HotKeyCombo::shiftKey, 56},
        {HotKeyCombo::cmdKey, 55},
    };

    // XTEST on X11, else one that is never trusted.
    static std::unique_ptr<SyntheticKeyboard> createDefault();
};
