#include "Chromet/Contrast/ContrastModel.h"

#include "Chromet/Color/ColorMath.h"

#include <QString>

#include <algorithm>
#include <cmath>

double ContrastModel::ratio() const {
    return Contrast::contrastRatio(text, background);
}

double ContrastModel::lc() const {
    return Contrast::apcaContrast(text, background);
}

namespace {

double wcagLinear(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// APCA's screen luminance: a plain 2.4 power, then a soft clamp that lifts near-blacks.
double apcaLuminance(const RGB &rgb) {
    double y = 0.2126729 * std::pow(rgb.r, 2.4) + 0.7151522 * std::pow(rgb.g, 2.4) +
               0.072175 * std::pow(rgb.b, 2.4);
    if (y < 0.022)
        y += std::pow(0.022 - y, 1.414);
    return y;
}

} // namespace

namespace Contrast {

double relativeLuminance(const RGB &srgb) {
    return 0.2126 * wcagLinear(srgb.r) + 0.7152 * wcagLinear(srgb.g) + 0.0722 * wcagLinear(srgb.b);
}

double contrastRatio(const PickedColor &text, const PickedColor &background) {
    const double l1 = relativeLuminance(text.srgb);
    const double l2 = relativeLuminance(background.srgb);
    return (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05);
}

double apcaContrast(const PickedColor &text, const PickedColor &background) {
    const double yText = apcaLuminance(text.srgb);
    const double yBackground = apcaLuminance(background.srgb);
    if (std::abs(yBackground - yText) < 0.0005)
        return 0;
    if (yText < yBackground) {
        const double s = (std::pow(yBackground, 0.56) - std::pow(yText, 0.57)) * 1.14;
        return s < 0.1 ? 0 : (s - 0.027) * 100;
    }
    const double s = (std::pow(yBackground, 0.65) - std::pow(yText, 0.62)) * 1.14;
    return s > -0.1 ? 0 : (s + 0.027) * 100;
}

QString ratioText(double ratio) {
    return formatNumber(ratio, 2, false) + QStringLiteral(":1");
}

QString lcText(double lc) {
    return QStringLiteral("Lc ") + formatNumber(lc, 1, false);
}

std::array<ContrastLevel, 4> levels(double ratio) {
    auto level = [ratio](const QString &label, double minimum) {
        return ContrastLevel{label, minimum, ratio >= minimum};
    };
    return {level(QStringLiteral("AA"), 4.5), level(QStringLiteral("AA Large"), 3),
            level(QStringLiteral("AAA"), 7), level(QStringLiteral("AAA Large"), 4.5)};
}

} // namespace Contrast
