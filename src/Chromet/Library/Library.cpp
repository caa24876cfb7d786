#include "Chromet/Library/Library.h"

#include "Chromet/Color/TailwindPalette.h"
#include "Chromet/Library/LibraryJson.h"

#include <QSet>

#include <algorithm>

namespace {

Palette *findPalette(QList<Palette> &palettes, const QUuid &id) {
    const auto it = std::find_if(palettes.begin(), palettes.end(),
                                 [&](const Palette &palette) { return palette.id == id; });
    return it == palettes.end() ? nullptr : &*it;
}

} // namespace

Palette Library::defaultPalette() {
    return Palette{QUuid::createUuid(), QStringLiteral("Favorites"), {}};
}

Library Library::defaultLibrary() {
    return Library{{}, {defaultPalette()}};
}

void Library::record(const PickedColor &color) {
    history.removeAll(color);
    history.prepend(color);
    if (history.size() > historyLimit)
        history.resize(historyLimit);
}

void Library::removeFromHistory(const PickedColor &color) {
    history.removeAll(color);
}

void Library::clearHistory() {
    history.clear();
}

Palette Library::addPalette(const QString &name) {
    Palette palette{QUuid::createUuid(), name, {}};
    palettes.append(palette);
    return palette;
}

void Library::renamePalette(const QUuid &id, const QString &name) {
    if (Palette *palette = findPalette(palettes, id))
        palette->name = name;
}

void Library::deletePalette(const QUuid &id) {
    palettes.removeIf([&](const Palette &palette) { return palette.id == id; });
    // The menu always needs somewhere to pin to.
    if (palettes.isEmpty())
        palettes.append(defaultPalette());
}

bool Library::pin(const PickedColor &color, const QUuid &paletteId) {
    Palette *palette = findPalette(palettes, paletteId);
    if (!palette)
        return false;
    const bool present = std::any_of(palette->colors.cbegin(), palette->colors.cend(),
                                     [&](const NamedColor &named) { return named.color == color; });
    if (present)
        return false;

    const QString base = nearestTailwind(color.srgb).name;
    QSet<QString> taken;
    for (const NamedColor &named : std::as_const(palette->colors))
        taken.insert(named.name);
    // The suffix always goes on the base name: sky-700, sky-700-2, sky-700-3, ...
    QString candidate = base;
    for (int counter = 2; taken.contains(candidate); ++counter)
        candidate = base + QLatin1Char('-') + QString::number(counter);

    palette->colors.append(NamedColor{QUuid::createUuid(), candidate, color});
    return true;
}

void Library::renameColor(const QUuid &colorId, const QUuid &paletteId, const QString &name) {
    Palette *palette = findPalette(palettes, paletteId);
    if (!palette)
        return;
    const auto it = std::find_if(palette->colors.begin(), palette->colors.end(),
                                 [&](const NamedColor &named) { return named.id == colorId; });
    if (it != palette->colors.end())
        it->name = name;
}

void Library::removeColor(const QUuid &colorId, const QUuid &paletteId) {
    if (Palette *palette = findPalette(palettes, paletteId))
        palette->colors.removeIf([&](const NamedColor &named) { return named.id == colorId; });
}

QString Library::defaultPaletteName(const Library &library) {
    return QStringLiteral("Palette ") + QString::number(library.palettes.size() + 1);
}

const Palette *Library::palette(const QUuid &id) const {
    const auto it = std::find_if(palettes.cbegin(), palettes.cend(),
                                 [&](const Palette &palette) { return palette.id == id; });
    return it == palettes.cend() ? nullptr : &*it;
}

std::optional<Library> Library::fromJson(const QJsonValue &value) {
    return fromJson(value, nullptr);
}

std::optional<Library> Library::fromJson(const QJsonValue &value, QString *error) {
    if (!value.isObject())
        return jsonFailure(error, QString(), QStringLiteral("not an object"));
    const QJsonObject object = value.toObject();
    const auto historyArray = arrayFromJson(object, QLatin1StringView("history"), error);
    if (!historyArray)
        return std::nullopt;
    const auto paletteArray = arrayFromJson(object, QLatin1StringView("palettes"), error);
    if (!paletteArray)
        return std::nullopt;

    // Kept exactly as stored: no history limit, and an empty palette list stays empty.
    Library library;
    library.history.reserve(historyArray->size());
    for (qsizetype i = 0; i < historyArray->size(); ++i) {
        const auto color = PickedColor::fromJson(historyArray->at(i));
        if (!color)
            return jsonFailure(error, QStringLiteral("history[%1]").arg(i), pickedColorProblem());
        library.history.append(*color);
    }
    library.palettes.reserve(paletteArray->size());
    for (qsizetype i = 0; i < paletteArray->size(); ++i) {
        auto palette = Palette::fromJson(paletteArray->at(i), error);
        if (!palette) {
            prefixJsonError(error, QStringLiteral("palettes[%1]").arg(i));
            return std::nullopt;
        }
        library.palettes.append(std::move(*palette));
    }
    return library;
}
