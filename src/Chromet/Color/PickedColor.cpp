#include "Chromet/Color/PickedColor.h"

std::optional<RGB> rgbFromJson(const QJsonValue &value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue r = object.value(QLatin1String("r"));
    const QJsonValue g = object.value(QLatin1String("g"));
    const QJsonValue b = object.value(QLatin1String("b"));
    if (!r.isDouble() || !g.isDouble() || !b.isDouble())
        return std::nullopt;
    return RGB{r.toDouble(), g.toDouble(), b.toDouble()};
}

std::optional<PickedColor> PickedColor::fromJson(const QJsonValue &value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const auto srgb = rgbFromJson(object.value(QLatin1String("srgb")));
    const auto p3 = rgbFromJson(object.value(QLatin1String("p3")));
    if (!srgb || !p3)
        return std::nullopt;
    return PickedColor{*srgb, *p3};
}
