#include "Chromet/Library/Palette.h"

#include "Chromet/Library/LibraryJson.h"

std::optional<Palette> Palette::fromJson(const QJsonValue &value) {
    return fromJson(value, nullptr);
}

std::optional<Palette> Palette::fromJson(const QJsonValue &value, QString *error) {
    if (!value.isObject())
        return jsonFailure(error, QString(), QStringLiteral("not an object"));
    const QJsonObject object = value.toObject();
    const auto id = uuidFromJson(object, QLatin1StringView("id"), error);
    if (!id)
        return std::nullopt;
    const auto name = stringFromJson(object, QLatin1StringView("name"), error);
    if (!name)
        return std::nullopt;
    const auto colorArray = arrayFromJson(object, QLatin1StringView("colors"), error);
    if (!colorArray)
        return std::nullopt;

    Palette palette{*id, *name, {}};
    palette.colors.reserve(colorArray->size());
    for (qsizetype i = 0; i < colorArray->size(); ++i) {
        auto color = NamedColor::fromJson(colorArray->at(i), error);
        if (!color) {
            prefixJsonError(error, QStringLiteral("colors[%1]").arg(i));
            return std::nullopt;
        }
        palette.colors.append(std::move(*color));
    }
    return palette;
}
