#pragma once

#include "Chromet/Color/RGB.h"

#include <QJsonObject>

#include <optional>

// One color read from the screen, held in sRGB and in Display P3. Two picks that agree in sRGB
// but not in P3 are different colors.
struct PickedColor {
    RGB srgb;
    RGB p3;

    friend bool operator==(const PickedColor &, const PickedColor &) = default;

    // Requires "srgb" and "p3", each with numeric "r", "g" and "b"; other keys are ignored.
    static std::optional<PickedColor> fromJson(const QJsonValue &value);
};

std::optional<RGB> rgbFromJson(const QJsonValue &value);
