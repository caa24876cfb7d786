#include "Chromet/App/LibraryCommands.h"

#include "Chromet/Library/LibraryStore.h"
#include "Chromet/Logging/Logging.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

LibraryCommands::LibraryCommands(LibraryStore &store, PickCoordinator &coordinator,
                                 PickCoordinator::CopyText copyText, Dialogs dialogs,
                                 Feedback feedback)
    : m_store(store)
    , m_coordinator(coordinator)
    , m_copyText(std::move(copyText))
    , m_dialogs(std::move(dialogs))
    , m_feedback(std::move(feedback)) {
}

void LibraryCommands::copy(const PickedColor &color, ColorFormat format,
                           const std::optional<QString> &name) {
    if (m_coordinator.copy(color, format, name) && m_feedback)
        m_feedback(color.srgb);
}

void LibraryCommands::pin(const PickedColor &color, const QUuid &paletteId) {
    if (m_coordinator.pin(color, paletteId) && m_feedback)
        m_feedback(color.srgb);
}

void LibraryCommands::pinToNewPalette(const PickedColor &color) {
    if (!m_dialogs.promptForName)
        return;
    const auto name =
        m_dialogs.promptForName(newPalettePrompt(int(m_store.library().palettes.size())));
    if (!name)
        return;
    Library &library = m_store.library();
    const Palette palette = library.addPalette(*name);
    library.pin(color, palette.id);
    m_store.commit();
    if (m_feedback)
        m_feedback(color.srgb);
}

void LibraryCommands::deleteFromHistory(const PickedColor &color) {
    m_store.library().removeFromHistory(color);
    m_store.commit();
}

void LibraryCommands::renameColor(const NamedColor &color, const Palette &palette) {
    if (!m_dialogs.promptForName)
        return;
    const auto name = m_dialogs.promptForName(renameColorPrompt(color));
    if (!name)
        return;
    m_store.library().renameColor(color.id, palette.id, *name);
    m_store.commit();
}

void LibraryCommands::removeColor(const NamedColor &color, const Palette &palette) {
    m_store.library().removeColor(color.id, palette.id);
    m_store.commit();
}

void LibraryCommands::exportCopy(const Palette &palette, ExportFormat format) {
    if (!m_copyText)
        return;
    m_copyText(PaletteExport::exportText(palette, format));
    if (m_feedback)
        m_feedback(std::nullopt);
}

void LibraryCommands::exportSave(const Palette &palette, ExportFormat format) {
    if (!m_dialogs.chooseSaveFile)
        return;
    const QString text = PaletteExport::exportText(palette, format);
    const auto path = m_dialogs.chooseSaveFile(
        SaveFileSpec{PaletteExport::exportFileName(palette, format), saveFolder()});
    if (!path || path->isEmpty())
        return;

    QString reason;
    if (writeTextAtomically(*path, text, &reason)) {
        m_lastSaveFolder = QFileInfo(*path).absolutePath();
        qCInfo(lcChromet, "Chromet: exported \"%s\" to %s", qUtf8Printable(palette.name),
               qUtf8Printable(*path));
        return;
    }
    qCWarning(lcChromet, "Chromet: failed to save export to %s: %s", qUtf8Printable(*path),
              qUtf8Printable(reason));
    if (m_dialogs.runAlert)
        m_dialogs.runAlert(saveFailedAlert(*path, reason));
}

void LibraryCommands::renamePalette(const Palette &palette) {
    if (!m_dialogs.promptForName)
        return;
    const auto name = m_dialogs.promptForName(renamePalettePrompt(palette));
    if (!name)
        return;
    m_store.library().renamePalette(palette.id, *name);
    m_store.commit();
}

void LibraryCommands::deletePalette(const Palette &palette) {
    if (!palette.colors.isEmpty()) {
        // Only the first button confirms; anything else (Escape, closing) keeps the palette.
        if (!m_dialogs.runAlert || m_dialogs.runAlert(deletePaletteAlert(palette)) != 0)
            return;
    }
    m_store.library().deletePalette(palette.id);
    m_store.commit();
}

void LibraryCommands::clearHistory() {
    m_store.library().clearHistory();
    m_store.commit();
}

NamePromptSpec LibraryCommands::newPalettePrompt(int paletteCount) {
    return {QStringLiteral("New Palette"), QStringLiteral("Name the palette."),
            QStringLiteral("Palette ") + QString::number(paletteCount + 1),
            QStringLiteral("Create")};
}

NamePromptSpec LibraryCommands::renameColorPrompt(const NamedColor &color) {
    return {QStringLiteral("Rename Color"), QStringLiteral("Exports use this name."), color.name,
            QStringLiteral("Rename")};
}

NamePromptSpec LibraryCommands::renamePalettePrompt(const Palette &palette) {
    return {QStringLiteral("Rename Palette"), QString(), palette.name, QStringLiteral("Rename")};
}

AlertSpec LibraryCommands::deletePaletteAlert(const Palette &palette) {
    const qsizetype count = palette.colors.size();
    AlertSpec alert;
    alert.messageText = QStringLiteral("Delete \u201C") + palette.name + QStringLiteral("\u201D?");
    alert.informativeText =
        count == 1 ? QStringLiteral("Its color is removed too. History isn't affected.")
                   : QStringLiteral("Its ") + QString::number(count) +
                         QStringLiteral(" colors are removed too. History isn't affected.");
    alert.buttons = {QStringLiteral("Delete"), QStringLiteral("Cancel")};
    alert.destructiveButton = 0;
    return alert;
}

AlertSpec LibraryCommands::saveFailedAlert(const QString &path, const QString &reason) {
    const QFileInfo info(path);
    AlertSpec alert;
    alert.messageText = QStringLiteral("The file \u201C") + info.fileName() +
                        QStringLiteral("\u201D couldn't be saved in the folder \u201C") +
                        QDir(info.absolutePath()).dirName() + QStringLiteral("\u201D.");
    alert.informativeText = reason;
    return alert;
}

bool LibraryCommands::writeTextAtomically(const QString &path, const QString &text,
                                          QString *error) {
    // Written beside the target and renamed over it only when complete; never written in place.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

QString LibraryCommands::saveFolder() const {
    if (!m_lastSaveFolder.isEmpty() && QFileInfo(m_lastSaveFolder).isDir())
        return m_lastSaveFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}
