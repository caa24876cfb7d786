#pragma once

#include "Chromet/Color/ColorFormat.h"

#include <optional>

class QTextStream;

// A pick without the tray application (`chromet pick` when none runs): the loupe over every
// display, or the desktop's own picker where the platform cannot read the screen; the color goes
// into the library and onto the clipboard as a pick from the application would put it, and, with
// `print`, its code in `format` (nothing: the default format) to `out`. Needs the QApplication.
// Returns the exit status: 0 after a pick, 1 when it ended without one (why on `err`).
int runOneShotPick(bool print, std::optional<ColorFormat> format, QTextStream &out,
                   QTextStream &err);

// Keeps `text` on the clipboard after this process ends, where no clipboard manager takes it
// over: a detached copy of this program owns it until another client writes the clipboard.
void keepClipboardAfterExit(const QString &text);
// The detached copy's run: owns the text in CHROMET_CLIPBOARD_TEXT until the clipboard is taken.
// Needs the QGuiApplication; returns the exit status.
int runClipboardKeeper();
// Whether this process was started as that copy.
bool isClipboardKeeper();
