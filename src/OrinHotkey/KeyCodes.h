#pragma once

#include <QtGlobal>

#include <optional>

class QKeyEvent;

// Key codes are kept in one layout-independent numbering (the key's position: 8 is C, 49 Space,
// 53 Escape, 36 Return, 76 keypad Enter, 123-126 the arrows). This is the only place that
// translates to and from X11/evdev keycodes; every rule elsewhere works on these numbers.
namespace KeyCodes {

inline constexpr quint32 c = 8;
inline constexpr quint32 returnKey = 36;
inline constexpr quint32 tab = 48;
inline constexpr quint32 space = 49;
inline constexpr quint32 escape = 53;
inline constexpr quint32 keypadEnter = 76;
inline constexpr quint32 leftArrow = 123;
inline constexpr quint32 rightArrow = 124;
inline constexpr quint32 downArrow = 125;
inline constexpr quint32 upArrow = 126;

// X11 keycode (evdev + 8) to key code; none for keys outside the table.
std::optional<quint32> fromX11(quint32 x11Keycode);
std::optional<quint32> toX11(quint32 keyCode);

// The key code of a Qt key event: from its native scan code on X11, else (offscreen, synthetic
// events) from the Qt key and the keypad modifier.
std::optional<quint32> fromKeyEvent(const QKeyEvent &event);

} // namespace KeyCodes
