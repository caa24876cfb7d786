#pragma once

#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Color/PickedColor.h"
#include "Chromet/Library/NamedColor.h"
#include "Chromet/Library/Palette.h"
#include "Chromet/Library/PaletteExport.h"

#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

// The commands of the status menu as closures, with the two flags the menu shows. The delegate
// builds a new value for each opening; the menu changes nothing itself. An empty closure makes
// its item do nothing.
struct MenuActions {
    std::function<void()> pick;
    // The name is a palette color's, absent for history colors.
    std::function<void(const PickedColor &, ColorFormat, const std::optional<QString> &)> copy;
    std::function<void(const PickedColor &, const QUuid &paletteId)> pin;
    std::function<void(const PickedColor &)> pinToNewPalette;
    std::function<void(const PickedColor &)> deleteFromHistory;
    std::function<void(const NamedColor &, const Palette &)> renameColor;
    std::function<void(const NamedColor &, const Palette &)> removeColor;
    std::function<void(const Palette &, ExportFormat)> exportCopy;
    std::function<void(const Palette &, ExportFormat)> exportSave;
    std::function<void(const Palette &)> renamePalette;
    std::function<void(const Palette &)> deletePalette;
    std::function<void()> contrast;
    std::function<void()> clearHistory;
    std::function<void()> openSettings;
    std::function<void()> checkForUpdates;
    std::function<void()> quit;
    std::function<void(ColorFormat)> setDefaultFormat;
    // The update service can check.
    bool updatesAvailable = false;
    // The library's saves are succeeding; when not, the menu says so below the history.
    bool isLibrarySaving = true;
};
