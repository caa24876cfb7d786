#pragma once

#include "OrinPaste/SyntheticKeyboard.h"

#include <QString>
#include <qwindowdefs.h>

#include <memory>
#include <optional>

// Writes text to the clipboard, and pastes it into another application by typing the paste
// keystroke on the user's behalf. Main thread only.
namespace PasteService {

// Replaces the clipboard's contents with the text; answers the clipboard's change count after
// writing, one higher than before when nobody else wrote in between.
qint64 copy(const QString &text);

// How often the clipboard has changed since this service was first used, by us or by others.
qint64 changeCount();

// Without permission to send keys: does nothing and answers false. Otherwise brings the target
// window to the front when it is given and not already there, answers true at once, and 0.08
// seconds later sends Ctrl+V on the key that types "v" in the current layout.
bool paste(std::optional<WId> target = std::nullopt);

// The delay between paste() and the keystroke, in milliseconds.
inline constexpr int keystrokeDelayMs = 80;

// The synthetic keyboard in use (created on first use) and a way to replace it (tests); null
// returns to the system's.
SyntheticKeyboard &keyboard();
void setKeyboard(std::unique_ptr<SyntheticKeyboard> keyboard);

} // namespace PasteService
