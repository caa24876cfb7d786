#pragma once

#include "Chromet/Color/PickedColor.h"

#include <QString>

#include <array>

// The pair the contrast checker compares. Only the sRGB triples enter the arithmetic.
struct ContrastModel {
    PickedColor text;
    PickedColor background;

    friend bool operator==(const ContrastModel &, const ContrastModel &) = default;

    double ratio() const;
    double lc() const;
};

// One WCAG 2 level with whether a ratio reaches it.
struct ContrastLevel {
    QString label;
    double minimumRatio = 0;
    bool passes = false;

    friend bool operator==(const ContrastLevel &, const ContrastLevel &) = default;
};

namespace Contrast {

// WCAG 2 relative luminance of an sRGB triple.
double relativeLuminance(const RGB &srgb);

// (lighter + 0.05) / (darker + 0.05): 1...21, symmetric in its arguments.
double contrastRatio(const PickedColor &text, const PickedColor &background);

// APCA lightness contrast; positive for dark text on a light background, negative otherwise.
double apcaContrast(const PickedColor &text, const PickedColor &background);

// "4.54:1"
QString ratioText(double ratio);
// "Lc 71.6"
QString lcText(double lc);

// "AA", "AA Large", "AAA", "AAA Large", judged on the unrounded ratio.
std::array<ContrastLevel, 4> levels(double ratio);

} // namespace Contrast
