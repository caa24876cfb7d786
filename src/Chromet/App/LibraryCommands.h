#pragma once

#include "Chromet/App/ModalPresenter.h"
#include "Chromet/App/PickCoordinator.h"
#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Color/PickedColor.h"
#include "Chromet/Color/RGB.h"
#include "Chromet/Library/NamedColor.h"
#include "Chromet/Library/Palette.h"
#include "Chromet/Library/PaletteExport.h"

#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

class LibraryStore;

// The status menu's commands on the library and the clipboard: copying and pinning colors, the
// palettes' name dialogs, deleting, exporting to the clipboard or a file. Every change of the
// library is one commit of the store. The palettes and colors handed in are those the menu was
// built with; the changes find their targets again by id. Knows no windows: the dialogs and the
// tray's copy feedback come in as closures. Main thread only.
class LibraryCommands {
public:
    // The application's modal dialogs (each run with the application in front).
    struct Dialogs {
        // The trimmed name, or nothing when cancelled or left blank.
        std::function<std::optional<QString>(const NamePromptSpec &)> promptForName;
        // The index of the chosen button.
        std::function<int(const AlertSpec &)> runAlert;
        // The chosen path, or nothing when cancelled.
        std::function<std::optional<QString>(const SaveFileSpec &)> chooseSaveFile;
    };
    // Plays the tray's acknowledgement, with the copied color's sRGB channels or without a color.
    using Feedback = std::function<void(const std::optional<RGB> &srgb)>;

    // `store` and `coordinator` must outlive the commands.
    LibraryCommands(LibraryStore &store, PickCoordinator &coordinator,
                    PickCoordinator::CopyText copyText, Dialogs dialogs, Feedback feedback);

    void copy(const PickedColor &color, ColorFormat format, const std::optional<QString> &name);
    // Feedback only when the color was added; one already in the palette gets none.
    void pin(const PickedColor &color, const QUuid &paletteId);
    // Asks for a name; on an answer creates the palette holding the color, in one commit.
    void pinToNewPalette(const PickedColor &color);
    void deleteFromHistory(const PickedColor &color);
    void renameColor(const NamedColor &color, const Palette &palette);
    void removeColor(const NamedColor &color, const Palette &palette);
    void exportCopy(const Palette &palette, ExportFormat format);
    // Asks where, then writes the file atomically in UTF-8. Cancelling is silent; a failed write
    // is reported in an alert with the system's reason, and nothing else changes.
    void exportSave(const Palette &palette, ExportFormat format);
    void renamePalette(const Palette &palette);
    // Asks first when the palette holds colors. Deleting the last palette leaves a new empty
    // "Favorites".
    void deletePalette(const Palette &palette);
    void clearHistory();

    // The dialogs' texts.
    static NamePromptSpec newPalettePrompt(int paletteCount);
    static NamePromptSpec renameColorPrompt(const NamedColor &color);
    static NamePromptSpec renamePalettePrompt(const Palette &palette);
    static AlertSpec deletePaletteAlert(const Palette &palette);
    static AlertSpec saveFailedAlert(const QString &path, const QString &reason);

    // Replaces the file at `path` with `text` in UTF-8: the complete new file or the old one,
    // never a part. On failure *error holds the system's reason.
    static bool writeTextAtomically(const QString &path, const QString &text,
                                    QString *error = nullptr);

    // Where the save dialog opens: the folder of the last export saved in this run, else the
    // user's documents folder, else the home folder.
    QString saveFolder() const;

private:
    LibraryStore &m_store;
    PickCoordinator &m_coordinator;
    PickCoordinator::CopyText m_copyText;
    Dialogs m_dialogs;
    Feedback m_feedback;
    QString m_lastSaveFolder;
};
