#pragma once

#include "Chromet/Color/PickedColor.h"

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The ten kinds of code text a color can be copied as. The order is the order of every menu and
// picker; the raw values are written to the settings and must never change.
enum class ColorFormat {
    hex,
    rgb,
    hsl,
    oklch,
    swiftUI,
    swiftUIP3,
    nsColor,
    uiColor,
    cssVariable,
    tailwind,
};

namespace ColorFormats {

const std::array<ColorFormat, 10> &allCases();

// Exact, case-sensitive match of a raw value.
std::optional<ColorFormat> fromRawValue(QStringView rawValue);
QString rawValue(ColorFormat format);
QString displayName(ColorFormat format);

// The code text of `color`. `name` matters only to cssVariable (a palette color's name, unchanged);
// `lowercaseHex` only to hex and cssVariable.
QString format(ColorFormat format, const PickedColor &color, const std::optional<QString> &name,
               bool lowercaseHex);

// What the loupe label and the menu show: the code text, plus " ≈" for an inexact Tailwind name.
QString labelText(ColorFormat format, const PickedColor &color, bool lowercaseHex);

} // namespace ColorFormats
