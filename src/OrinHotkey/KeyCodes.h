#pragma once

#include <QtGlobal>

#include <optional>

class QKeyEvent;

// Key codes are kept in one layout-independent numbering (the key's position: 8 is C, 49 Space,
// 53 Escape, 36 Return, 76 keypad Enter, 123-126 the arrows). This is the only place that
// translates to and from X11/evdev keycodes; every rule elsewhere works on these numbers.
//
// Keys without a number of their own there (Print, Pause, Scroll Lock, F21-F24, media and
// launcher keys...) are numbered extendedBase + their evdev code: 256 + 99 for Print. Those
// numbers stay clear of the table's 0-127, so a build that knows only the table shows such a
// stored key as "#355" and refuses to register it rather than taking it for another key.
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
inline constexpr quint32 extendedBase = 256;

// The evdev code of an extended key code (extendedBase and up); none for the table's codes.
std::optional<quint32> extendedEvdev(quint32 keyCode);

// X11 keycode (evdev + 8) to key code: the table's number, else the extended one; none for
// keycodes that are no key (below 9, above 255).
std::optional<quint32> fromX11(quint32 x11Keycode);
std::optional<quint32> toX11(quint32 keyCode);

// The key code of a Qt key event: from its native scan code on X11, else (offscreen, synthetic
// events) from the Qt key and the keypad modifier.
std::optional<quint32> fromKeyEvent(const QKeyEvent &event);

} // namespace KeyCodes
