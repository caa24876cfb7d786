#include "Chromet/Color/ColorMath.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

QString formatNumber(double value, int decimals, bool trimZeros) {
    // std::to_chars is locale-independent and correctly rounded, like printf in the C locale;
    // printf itself would pick up the decimal comma that QCoreApplication's setlocale installs.
    char buffer[384]; // large enough for any finite double in fixed notation with 40 decimals
    const int precision = std::clamp(decimals, 0, 40);
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    if (result.ec != std::errc())
        return QStringLiteral("0");
    std::string_view text(buffer, size_t(result.ptr - buffer));

    if (trimZeros && text.find('.') != std::string_view::npos) {
        while (text.ends_with('0'))
            text.remove_suffix(1);
        if (text.ends_with('.'))
            text.remove_suffix(1);
    }
    if (text == "-0")
        return QStringLiteral("0");
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

int channelByte(double channel) {
    // NaN fails both comparisons below; treat it like a channel at or below zero.
    if (!(channel > 0))
        return 0;
    return int(std::round(std::min(channel, 1.0) * 255.0));
}

QString hexString(const RGB &rgb, bool lowercase) {
    static constexpr char upperDigits[] = "0123456789ABCDEF";
    static constexpr char lowerDigits[] = "0123456789abcdef";
    const char *digits = lowercase ? lowerDigits : upperDigits;
    const int bytes[3] = {channelByte(rgb.r), channelByte(rgb.g), channelByte(rgb.b)};
    char text[7] = {'#'};
    for (int i = 0; i < 3; ++i) {
        text[1 + 2 * i] = digits[bytes[i] >> 4];
        text[2 + 2 * i] = digits[bytes[i] & 0xF];
    }
    return QString::fromLatin1(text, 7);
}

HSL hsl(const RGB &rgb) {
    const double max = std::max({rgb.r, rgb.g, rgb.b});
    const double min = std::min({rgb.r, rgb.g, rgb.b});
    const double d = max - min;
    HSL result;
    result.l = (max + min) * 0.5;
    if (!(d > 0))
        return result;

    double h;
    if (rgb.r == max)
        h = (rgb.g - rgb.b) / d;
    else if (rgb.g == max)
        h = (rgb.b - rgb.r) / d + 2;
    else
        h = (rgb.r - rgb.g) / d + 4;
    result.s = d / (1 - std::abs(2 * result.l - 1));
    h *= 60;
    if (h < 0)
        h += 360;
    if (h >= 360)
        h = 0;
    result.h = h;
    return result;
}

double linearizedChannel(double c) {
    if (c <= 0.04045)
        return c / 12.92;
    return std::pow((c + 0.055) / 1.055, 2.4);
}

OKLab oklab(const RGB &srgb) {
    const double r = linearizedChannel(srgb.r);
    const double g = linearizedChannel(srgb.g);
    const double b = linearizedChannel(srgb.b);

    const double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
    const double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
    const double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);

    return OKLab{0.2104542553 * l + 0.793617785 * m - 0.0040720468 * s,
                 1.9779984951 * l - 2.428592205 * m + 0.4505937099 * s,
                 0.0259040371 * l + 0.7827717662 * m - 0.808675766 * s};
}

OKLCH oklch(const OKLab &lab) {
    OKLCH result;
    result.L = lab.L;
    result.C = std::sqrt(lab.a * lab.a + lab.b * lab.b);
    if (result.C < 0.0001)
        return result;
    double h = std::atan2(lab.b, lab.a) * 180 / 3.141592653589793;
    if (h < 0)
        h += 360;
    if (h >= 360)
        h = 0;
    result.H = h;
    return result;
}
