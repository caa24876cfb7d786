#pragma once

#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Color/PickedColor.h"

#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

class LibraryStore;
class Preferences;

// Turns a color into the user's result: a finished pick goes into the history and onto the
// clipboard in the default format; the status menu copies colors in any format and pins them
// into palettes. Knows nothing of windows or menus. Main thread only; every call runs to the
// end, including the synchronous save.
class PickCoordinator {
public:
    // Puts plain text on the clipboard.
    using CopyText = std::function<void(const QString &text)>;

    // `store` and `prefs` must outlive the coordinator.
    PickCoordinator(LibraryStore &store, Preferences &prefs, CopyText copyText);

    // Records the color at the front of the history, commits the library, then copies the
    // color in the default format. Returns the copy's result.
    bool handlePick(const PickedColor &color);
    // Copies the color's code text (never the label's " ≈" marker). `name` is a palette color's
    // name, used by cssVariable; nothing for a history color. True once the text was handed to
    // the clipboard; false only when there is no clipboard operation to hand it to.
    bool copy(const PickedColor &color, ColorFormat format,
              const std::optional<QString> &name = std::nullopt);
    // Adds the color to the palette and commits, whether or not it was added. True when added:
    // false for an unknown palette or one that already holds the color.
    bool pin(const PickedColor &color, const QUuid &paletteId);

private:
    LibraryStore &m_store;
    Preferences &m_prefs;
    CopyText m_copyText;
};
