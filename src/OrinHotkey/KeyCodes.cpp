#include "OrinHotkey/KeyCodes.h"

#include <QKeyEvent>

#include <array>

namespace KeyCodes {
namespace {

// Key position number -> Linux evdev code (linux/input-event-codes.h). X11 keycodes are the evdev
// code plus 8. Positions are those of an ANSI keyboard; the ISO key left of Z is 10, the JIS keys
// have their own numbers.
struct Entry {
    quint16 keyCode;
    quint16 evdev;
};

constexpr Entry table[] = {
    // Letters
    {0, 30},  // A
    {1, 31},  // S
    {2, 32},  // D
    {3, 33},  // F
    {4, 35},  // H
    {5, 34},  // G
    {6, 44},  // Z
    {7, 45},  // X
    {8, 46},  // C
    {9, 47},  // V
    {10, 86}, // ISO key between left Shift and Z
    {11, 48}, // B
    {12, 16}, // Q
    {13, 17}, // W
    {14, 18}, // E
    {15, 19}, // R
    {16, 21}, // Y
    {17, 20}, // T
    // Digit row and punctuation
    {18, 2},  // 1
    {19, 3},  // 2
    {20, 4},  // 3
    {21, 5},  // 4
    {22, 7},  // 6
    {23, 6},  // 5
    {24, 13}, // =
    {25, 10}, // 9
    {26, 8},  // 7
    {27, 12}, // -
    {28, 9},  // 8
    {29, 11}, // 0
    {30, 27}, // ]
    {31, 24}, // O
    {32, 22}, // U
    {33, 26}, // [
    {34, 23}, // I
    {35, 25}, // P
    {36, 28}, // Return
    {37, 38}, // L
    {38, 36}, // J
    {39, 40}, // '
    {40, 37}, // K
    {41, 39}, // ;
    {42, 43}, // backslash
    {43, 51}, // ,
    {44, 53}, // /
    {45, 49}, // N
    {46, 50}, // M
    {47, 52}, // .
    {48, 15}, // Tab
    {49, 57}, // Space
    {50, 41}, // `
    {51, 14}, // Backspace
    {53, 1},  // Escape
    // Modifiers
    {54, 126}, // right Super
    {55, 125}, // left Super
    {56, 42},  // left Shift
    {57, 58},  // Caps Lock
    {58, 56},  // left Alt
    {59, 29},  // left Control
    {60, 54},  // right Shift
    {61, 100}, // right Alt
    {62, 97},  // right Control
    // Keypad
    {65, 83},  // keypad .
    {67, 55},  // keypad *
    {69, 78},  // keypad +
    {71, 69},  // keypad Clear / Num Lock
    {75, 98},  // keypad /
    {76, 96},  // keypad Enter
    {78, 74},  // keypad -
    {81, 117}, // keypad =
    {82, 82},  // keypad 0
    {83, 79},  // keypad 1
    {84, 80},  // keypad 2
    {85, 81},  // keypad 3
    {86, 75},  // keypad 4
    {87, 76},  // keypad 5
    {88, 77},  // keypad 6
    {89, 71},  // keypad 7
    {91, 72},  // keypad 8
    {92, 73},  // keypad 9
    {95, 95},  // JIS keypad comma
    // Media
    {72, 115}, // volume up
    {73, 114}, // volume down
    {74, 113}, // mute
    // Function keys
    {122, 59},  // F1
    {120, 60},  // F2
    {99, 61},   // F3
    {118, 62},  // F4
    {96, 63},   // F5
    {97, 64},   // F6
    {98, 65},   // F7
    {100, 66},  // F8
    {101, 67},  // F9
    {109, 68},  // F10
    {103, 87},  // F11
    {111, 88},  // F12
    {105, 183}, // F13
    {107, 184}, // F14
    {113, 185}, // F15
    {106, 186}, // F16
    {64, 187},  // F17
    {79, 188},  // F18
    {80, 189},  // F19
    {90, 190},  // F20
    // JIS
    {93, 124},  // Yen
    {94, 89},   // Ro (underscore)
    {102, 123}, // Eisu (LANG2)
    {104, 122}, // Kana (LANG1)
    // Navigation
    {110, 127}, // context menu
    {114, 110}, // Help / Insert
    {115, 102}, // Home
    {116, 104}, // Page Up
    {117, 111}, // forward Delete
    {119, 107}, // End
    {121, 109}, // Page Down
    {123, 105}, // Left
    {124, 106}, // Right
    {125, 108}, // Down
    {126, 103}, // Up
};

constexpr quint16 none = 0xffff;
constexpr int evdevRange = 256;
constexpr int keyCodeRange = 128;

constexpr std::array<quint16, evdevRange> makeFromEvdev() {
    std::array<quint16, evdevRange> map{};
    map.fill(none);
    for (const Entry &e : table)
        map[e.evdev] = e.keyCode;
    return map;
}

constexpr std::array<quint16, keyCodeRange> makeToEvdev() {
    std::array<quint16, keyCodeRange> map{};
    map.fill(none);
    for (const Entry &e : table)
        map[e.keyCode] = e.evdev;
    return map;
}

constexpr auto fromEvdev = makeFromEvdev();
constexpr auto toEvdev = makeToEvdev();

constexpr bool tableIsOneToOne() {
    int count = 0;
    for (quint16 v : fromEvdev)
        count += v != none ? 1 : 0;
    int back = 0;
    for (quint16 v : toEvdev)
        back += v != none ? 1 : 0;
    return count == int(std::size(table)) && back == int(std::size(table));
}
static_assert(tableIsOneToOne(), "every key code and every evdev code appears once");

constexpr quint32 x11Offset = 8;
constexpr quint32 maxX11Keycode = 255;

// Synthetic events carry no scan code; take the key's place on a US keyboard.
std::optional<quint32> fromQtKey(int key, bool keypad) {
    if (keypad) {
        switch (key) {
        case Qt::Key_0:
            return 82;
        case Qt::Key_1:
            return 83;
        case Qt::Key_2:
            return 84;
        case Qt::Key_3:
            return 85;
        case Qt::Key_4:
            return 86;
        case Qt::Key_5:
            return 87;
        case Qt::Key_6:
            return 88;
        case Qt::Key_7:
            return 89;
        case Qt::Key_8:
            return 91;
        case Qt::Key_9:
            return 92;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return 65;
        case Qt::Key_Asterisk:
            return 67;
        case Qt::Key_Plus:
            return 69;
        case Qt::Key_Minus:
            return 78;
        case Qt::Key_Slash:
            return 75;
        case Qt::Key_Equal:
            return 81;
        case Qt::Key_Clear:
        case Qt::Key_NumLock:
            return 71;
        default:
            break; // arrows, Enter and the rest are the same with or without the keypad
        }
    }
    switch (key) {
    case Qt::Key_A:
        return 0;
    case Qt::Key_S:
        return 1;
    case Qt::Key_D:
        return 2;
    case Qt::Key_F:
        return 3;
    case Qt::Key_H:
        return 4;
    case Qt::Key_G:
        return 5;
    case Qt::Key_Z:
        return 6;
    case Qt::Key_X:
        return 7;
    case Qt::Key_C:
        return 8;
    case Qt::Key_V:
        return 9;
    case Qt::Key_B:
        return 11;
    case Qt::Key_Q:
        return 12;
    case Qt::Key_W:
        return 13;
    case Qt::Key_E:
        return 14;
    case Qt::Key_R:
        return 15;
    case Qt::Key_Y:
        return 16;
    case Qt::Key_T:
        return 17;
    case Qt::Key_1:
    case Qt::Key_Exclam:
        return 18;
    case Qt::Key_2:
    case Qt::Key_At:
        return 19;
    case Qt::Key_3:
    case Qt::Key_NumberSign:
        return 20;
    case Qt::Key_4:
    case Qt::Key_Dollar:
        return 21;
    case Qt::Key_6:
    case Qt::Key_AsciiCircum:
        return 22;
    case Qt::Key_5:
    case Qt::Key_Percent:
        return 23;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return 24;
    case Qt::Key_9:
    case Qt::Key_ParenLeft:
        return 25;
    case Qt::Key_7:
    case Qt::Key_Ampersand:
        return 26;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return 27;
    case Qt::Key_8:
    case Qt::Key_Asterisk:
        return 28;
    case Qt::Key_0:
    case Qt::Key_ParenRight:
        return 29;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return 30;
    case Qt::Key_O:
        return 31;
    case Qt::Key_U:
        return 32;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return 33;
    case Qt::Key_I:
        return 34;
    case Qt::Key_P:
        return 35;
    case Qt::Key_Return:
        return returnKey;
    case Qt::Key_L:
        return 37;
    case Qt::Key_J:
        return 38;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return 39;
    case Qt::Key_K:
        return 40;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return 41;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return 42;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return 43;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return 44;
    case Qt::Key_N:
        return 45;
    case Qt::Key_M:
        return 46;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return 47;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return tab;
    case Qt::Key_Space:
        return space;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return 50;
    case Qt::Key_Backspace:
        return 51;
    case Qt::Key_Escape:
        return escape;
    case Qt::Key_Meta:
        return 55;
    case Qt::Key_Shift:
        return 56;
    case Qt::Key_CapsLock:
        return 57;
    case Qt::Key_Alt:
        return 58;
    case Qt::Key_Control:
        return 59;
    case Qt::Key_Enter:
        return keypadEnter;
    case Qt::Key_NumLock:
    case Qt::Key_Clear:
        return 71;
    case Qt::Key_VolumeUp:
        return 72;
    case Qt::Key_VolumeDown:
        return 73;
    case Qt::Key_VolumeMute:
        return 74;
    case Qt::Key_F1:
        return 122;
    case Qt::Key_F2:
        return 120;
    case Qt::Key_F3:
        return 99;
    case Qt::Key_F4:
        return 118;
    case Qt::Key_F5:
        return 96;
    case Qt::Key_F6:
        return 97;
    case Qt::Key_F7:
        return 98;
    case Qt::Key_F8:
        return 100;
    case Qt::Key_F9:
        return 101;
    case Qt::Key_F10:
        return 109;
    case Qt::Key_F11:
        return 103;
    case Qt::Key_F12:
        return 111;
    case Qt::Key_F13:
        return 105;
    case Qt::Key_F14:
        return 107;
    case Qt::Key_F15:
        return 113;
    case Qt::Key_F16:
        return 106;
    case Qt::Key_F17:
        return 64;
    case Qt::Key_F18:
        return 79;
    case Qt::Key_F19:
        return 80;
    case Qt::Key_F20:
        return 90;
    case Qt::Key_Menu:
        return 110;
    case Qt::Key_Insert:
    case Qt::Key_Help:
        return 114;
    case Qt::Key_Home:
        return 115;
    case Qt::Key_PageUp:
        return 116;
    case Qt::Key_Delete:
        return 117;
    case Qt::Key_End:
        return 119;
    case Qt::Key_PageDown:
        return 121;
    case Qt::Key_Left:
        return leftArrow;
    case Qt::Key_Right:
        return rightArrow;
    case Qt::Key_Down:
        return downArrow;
    case Qt::Key_Up:
        return upArrow;
    case Qt::Key_F21:
        return extendedBase + 191;
    case Qt::Key_F22:
        return extendedBase + 192;
    case Qt::Key_F23:
        return extendedBase + 193;
    case Qt::Key_F24:
        return extendedBase + 194;
    case Qt::Key_Print:
        return extendedBase + 99;
    case Qt::Key_ScrollLock:
        return extendedBase + 70;
    case Qt::Key_Pause:
        return extendedBase + 119;
    case Qt::Key_MediaTogglePlayPause:
    case Qt::Key_MediaPlay:
        return extendedBase + 164;
    case Qt::Key_MediaStop:
        return extendedBase + 166;
    case Qt::Key_MediaPrevious:
        return extendedBase + 165;
    case Qt::Key_MediaNext:
        return extendedBase + 163;
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<quint32> extendedEvdev(quint32 keyCode) {
    // X11 keycodes are one byte: evdev codes up to 247.
    if (keyCode < extendedBase || keyCode - extendedBase > maxX11Keycode - x11Offset)
        return std::nullopt;
    const quint32 evdev = keyCode - extendedBase;
    // A key the table numbers has no extended code.
    if (evdev == 0 || fromEvdev[evdev] != none)
        return std::nullopt;
    return evdev;
}

std::optional<quint32> fromX11(quint32 x11Keycode) {
    if (x11Keycode < x11Offset || x11Keycode > maxX11Keycode)
        return std::nullopt;
    const quint32 evdev = x11Keycode - x11Offset;
    if (evdev == 0)
        return std::nullopt;
    const quint16 code = fromEvdev[evdev];
    if (code == none)
        return extendedBase + evdev;
    return code;
}

std::optional<quint32> toX11(quint32 keyCode) {
    if (const auto evdev = extendedEvdev(keyCode))
        return *evdev + x11Offset;
    if (keyCode >= keyCodeRange)
        return std::nullopt;
    const quint16 evdev = toEvdev[keyCode];
    if (evdev == none)
        return std::nullopt;
    return evdev + x11Offset;
}

std::optional<quint32> fromKeyEvent(const QKeyEvent &event) {
    const int key = event.key();
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    // Keys named by what they do (arrows, Return, Escape, function keys) mean the same on every
    // layout, while their keycodes differ between servers numbering keys as evdev does and as
    // XFree86 did (Down is 104 there, evdev's keypad Enter): the key tells. Modifiers are left to
    // the scan code, which alone says left from right.
    const bool modifier = key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Meta ||
                          key == Qt::Key_Alt || key == Qt::Key_AltGr || key == Qt::Key_Super_L ||
                          key == Qt::Key_Super_R || key == Qt::Key_Hyper_L ||
                          key == Qt::Key_Hyper_R || key == Qt::Key_CapsLock;
    if (key >= Qt::Key_Escape && !modifier) {
        if (auto named = fromQtKey(key, keypad))
            return named;
    }
    const quint32 scanCode = event.nativeScanCode();
    const std::optional<quint32> fromScan = scanCode != 0 ? fromX11(scanCode) : std::nullopt;
    if (fromScan && *fromScan < extendedBase)
        return fromScan;
    // A scan code beyond the table may come from a server whose keycodes are not evdev's (Xorg
    // without evdev): the Qt key names the keys the table has.
    if (auto fromKey = fromQtKey(key, keypad))
        return fromKey;
    return fromScan;
}

} // namespace KeyCodes
