#include "Chromet/Color/ColorFormat.h"

#include "Chromet/Color/ColorMath.h"
#include "Chromet/Color/TailwindPalette.h"

namespace {

struct FormatInfo {
    ColorFormat format;
    const char *rawValue;
    const char *displayName;
};

constexpr FormatInfo formatInfos[] = {
    {ColorFormat::hex, "hex", "HEX"},
    {ColorFormat::rgb, "rgb", "RGB"},
    {ColorFormat::hsl, "hsl", "HSL"},
    {ColorFormat::oklch, "oklch", "OKLCH"},
    {ColorFormat::swiftUI, "swiftUI", "SwiftUI Color"},
    {ColorFormat::swiftUIP3, "swiftUIP3", "SwiftUI Color (Display P3)"},
    {ColorFormat::nsColor, "nsColor", "NSColor"},
    {ColorFormat::uiColor, "uiColor", "UIColor"},
    {ColorFormat::cssVariable, "cssVariable", "CSS variable"},
    {ColorFormat::tailwind, "tailwind", "Tailwind class"},
};

const FormatInfo &info(ColorFormat format) {
    const auto index = size_t(format);
    Q_ASSERT(index < std::size(formatInfos) && formatInfos[index].format == format);
    return formatInfos[index];
}

QString fixed3(double value) {
    return formatNumber(value, 3, false);
}

QString trimmed(double value, int decimals) {
    return formatNumber(value, decimals, true);
}

// The three channels as "<prefix>r, green: g, blue: b" with three decimals each.
QString channelList(const char *prefix, const RGB &rgb) {
    return QLatin1String(prefix) % fixed3(rgb.r) % QLatin1String(", green: ") % fixed3(rgb.g) %
           QLatin1String(", blue: ") % fixed3(rgb.b);
}

} // namespace

namespace ColorFormats {

const std::array<ColorFormat, 10> &allCases() {
    static constexpr std::array<ColorFormat, 10> cases = {
        ColorFormat::hex,      ColorFormat::rgb,     ColorFormat::hsl,
        ColorFormat::oklch,    ColorFormat::swiftUI, ColorFormat::swiftUIP3,
        ColorFormat::nsColor,  ColorFormat::uiColor, ColorFormat::cssVariable,
        ColorFormat::tailwind,
    };
    return cases;
}

std::optional<ColorFormat> fromRawValue(QStringView rawValue) {
    for (const FormatInfo &entry : formatInfos) {
        if (rawValue == QLatin1String(entry.rawValue))
            return entry.format;
    }
    return std::nullopt;
}

QString rawValue(ColorFormat format) {
    return QString::fromLatin1(info(format).rawValue);
}

QString displayName(ColorFormat format) {
    return QString::fromLatin1(info(format).displayName);
}

QString format(ColorFormat format, const PickedColor &color, const std::optional<QString> &name,
               bool lowercaseHex) {
    const RGB &srgb = color.srgb;
    switch (format) {
    case ColorFormat::hex:
        return hexString(srgb, lowercaseHex);
    case ColorFormat::rgb:
        return QLatin1String("rgb(") % QString::number(channelByte(srgb.r)) % QLatin1Char(' ') %
               QString::number(channelByte(srgb.g)) % QLatin1Char(' ') %
               QString::number(channelByte(srgb.b)) % QLatin1Char(')');
    case ColorFormat::hsl: {
        const HSL value = hsl(srgb);
        return QLatin1String("hsl(") % trimmed(value.h, 1) % QLatin1Char(' ') %
               trimmed(value.s * 100, 1) % QLatin1String("% ") % trimmed(value.l * 100, 1) %
               QLatin1String("%)");
    }
    case ColorFormat::oklch: {
        const OKLCH value = oklch(oklab(srgb));
        return QLatin1String("oklch(") % trimmed(value.L * 100, 2) % QLatin1String("% ") %
               trimmed(value.C, 3) % QLatin1Char(' ') % trimmed(value.H, 1) % QLatin1Char(')');
    }
    case ColorFormat::swiftUI:
        return channelList("Color(red: ", srgb) % QLatin1Char(')');
    case ColorFormat::swiftUIP3:
        return channelList("Color(.displayP3, red: ", color.p3) % QLatin1Char(')');
    case ColorFormat::nsColor:
        return channelList("NSColor(srgbRed: ", srgb) % QLatin1String(", alpha: 1)");
    case ColorFormat::uiColor:
        return channelList("UIColor(red: ", srgb) % QLatin1String(", alpha: 1)");
    case ColorFormat::cssVariable: {
        const QString variable = name ? *name : nearestTailwind(srgb).name;
        return QLatin1String("--") % variable % QLatin1String(": ") %
               hexString(srgb, lowercaseHex) % QLatin1Char(';');
    }
    case ColorFormat::tailwind:
        return nearestTailwind(srgb).name;
    }
    Q_UNREACHABLE();
    return {};
}

QString labelText(ColorFormat format, const PickedColor &color, bool lowercaseHex) {
    if (format == ColorFormat::tailwind) {
        const TailwindMatch match = nearestTailwind(color.srgb);
        if (match.distance < tailwindExactDistance)
            return match.name;
        return match.name % QStringLiteral(" \u2248");
    }
    return ColorFormats::format(format, color, std::nullopt, lowercaseHex);
}

} // namespace ColorFormats
