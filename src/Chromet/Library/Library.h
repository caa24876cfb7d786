#pragma once

#include "Chromet/Library/Palette.h"

#include <QByteArray>
#include <QList>

// Everything the user keeps: recent picks (most recent first, at most historyLimit, no two equal)
// and palettes in creation order. A plain value; the store persists it after each change.
struct Library {
    static constexpr int historyLimit = 20;

    QList<PickedColor> history;
    QList<Palette> palettes;

    friend bool operator==(const Library &, const Library &) = default;

    // Empty history and one empty "Favorites" palette with a new id.
    static Library defaultLibrary();
    static Palette defaultPalette();

    void record(const PickedColor &color);
    void removeFromHistory(const PickedColor &color);
    void clearHistory();
    Palette addPalette(const QString &name);
    void renamePalette(const QUuid &id, const QString &name);
    void deletePalette(const QUuid &id);
    // False when the palette is unknown or already holds an equal color.
    bool pin(const PickedColor &color, const QUuid &paletteId);
    void renameColor(const QUuid &colorId, const QUuid &paletteId, const QString &name);
    void removeColor(const QUuid &colorId, const QUuid &paletteId);

    // The name the new-palette dialog proposes: "Palette N+1".
    static QString defaultPaletteName(const Library &library);

    const Palette *palette(const QUuid &id) const;

    static std::optional<Library> fromJson(const QJsonValue &value);
    // As above; on failure *error (if given) says where and why, e.g. "id: not a UUID".
    static std::optional<Library> fromJson(const QJsonValue &value, QString *error);
};
