#include "Chromet/Library/NamedColor.h"

#include "Chromet/Library/LibraryJson.h"

std::optional<NamedColor> NamedColor::fromJson(const QJsonValue &value) {
    return fromJson(value, nullptr);
}

std::optional<NamedColor> NamedColor::fromJson(const QJsonValue &value, QString *error) {
    if (!value.isObject())
        return jsonFailure(error, QString(), QStringLiteral("not an object"));
    const QJsonObject object = value.toObject();
    const auto id = uuidFromJson(object, QLatin1StringView("id"), error);
    if (!id)
        return std::nullopt;
    const auto name = stringFromJson(object, QLatin1StringView("name"), error);
    if (!name)
        return std::nullopt;
    const QJsonValue colorValue = object.value(QLatin1StringView("color"));
    if (colorValue.isUndefined())
        return jsonFailure(error, QStringLiteral("color"), QStringLiteral("missing"));
    const auto color = PickedColor::fromJson(colorValue);
    if (!color)
        return jsonFailure(error, QStringLiteral("color"), pickedColorProblem());
    return NamedColor{*id, *name, *color};
}
