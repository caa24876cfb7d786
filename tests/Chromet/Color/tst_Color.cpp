#include "Chromet/Color/ColorConversion.h"
#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Color/ColorMath.h"
#include "Chromet/Color/TailwindPalette.h"

#include "Support/DecimalCommaLocale.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <limits>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ColorFormat)
Q_DECLARE_METATYPE(PickedColor)
Q_DECLARE_METATYPE(RGB)

namespace {

PickedColor opaque(double r, double g, double b) {
    return PickedColor{RGB{r, g, b}, RGB{r, g, b}};
}

const PickedColor sample{RGB{0.2, 0.4, 0.6}, RGB{0.2499, 0.3952, 0.584}};
const QColorSpace srgbSpace{QColorSpace::SRgb};
const QColorSpace p3Space{QColorSpace::DisplayP3};
const double notANumber = std::numeric_limits<double>::quiet_NaN();

bool near(const RGB &actual, const RGB &expected, double tolerance) {
    return std::abs(actual.r - expected.r) <= tolerance &&
           std::abs(actual.g - expected.g) <= tolerance &&
           std::abs(actual.b - expected.b) <= tolerance;
}

QByteArray describe(const RGB &rgb) {
    return QByteArray::number(rgb.r, 'g', 10) + ", " + QByteArray::number(rgb.g, 'g', 10) + ", " +
           QByteArray::number(rgb.b, 'g', 10);
}

QString format(ColorFormat format, const PickedColor &color) {
    return ColorFormats::format(format, color, std::nullopt, false);
}

} // namespace

// Colors as picked, matched between spaces, named after the Tailwind palette and written in
// every copy format.
class tst_Color : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tailwindNearest_data() {
        QTest::addColumn<RGB>("color");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("distance");
        QTest::newRow("black") << RGB{0, 0, 0} << u"black"_s << 0.0;
        QTest::newRow("white") << RGB{1, 1, 1} << u"white"_s << 0.0;
        QTest::newRow("#336699") << RGB{0.2, 0.4, 0.6} << u"sky-700"_s << 0.0317;
        QTest::newRow("grey") << RGB{0.5, 0.5, 0.5} << u"olive-500"_s << 0.0359;
        QTest::newRow("red") << RGB{1, 0, 0} << u"red-500"_s << 0.0282;
        // zinc-50, neutral-50 and mauve-50 are the same color; zinc comes first in the table.
        QTest::newRow("tie keeps the earlier entry")
            << RGB{0.980256, 0.980256, 0.980256} << u"zinc-50"_s << 0.0;
        // Entries, first and last shades of several hues among them, to catch a shifted or
        // mistyped row.
        for (const auto &[name, rgb] : {std::pair{"red-500", RGB{0.982661, 0.171797, 0.21307}},
                                        {"red-50", RGB{0.996841, 0.949585, 0.949586}},
                                        {"orange-950", RGB{0.266434, 0.074411, 0.021905}},
                                        {"sky-700", RGB{0, 0.411635, 0.660296}},
                                        {"indigo-600", RGB{0.310885, 0.224404, 0.966261}},
                                        {"rose-950", RGB{0.303147, 0.00882, 0.095859}},
                                        {"slate-500", RGB{0.383912, 0.454787, 0.55666}},
                                        {"stone-950", RGB{0.046959, 0.039356, 0.035544}},
                                        {"taupe-950", RGB{0.046957, 0.039358, 0.035541}},
                                        {"mist-400", RGB{0.612449, 0.658606, 0.670158}}})
            QTest::newRow(name) << rgb << QString::fromLatin1(name) << 0.0;
    }
    void tailwindNearest() {
        QFETCH(RGB, color);
        QFETCH(QString, name);
        QFETCH(double, distance);
        const TailwindMatch match = nearestTailwind(color);
        QCOMPARE(match.name, name);
        QVERIFY2(std::abs(match.distance - distance) < (distance == 0 ? 1e-12 : 0.00005),
                 qPrintable(QString::number(match.distance)));
    }
    void pickedColorFromJson() {
        const auto decode = [](const QByteArray &json) {
            return PickedColor::fromJson(QJsonDocument::fromJson(json).object());
        };
        QCOMPARE(
            decode(R"({"srgb":{"r":0.2,"g":0.4,"b":0.6},"p3":{"r":0.2499,"g":0.3952,"b":0.584}})"),
            sample);
        // Extra keys are ignored; integers are numbers; stored values are not clamped.
        QCOMPARE(decode(R"({"srgb":{"r":1,"g":0,"b":1.5,"alpha":0.5},)"
                        R"("p3":{"r":-0.25,"g":0,"b":1},"alpha":1,"name":"x"})"),
                 (PickedColor{RGB{1, 0, 1.5}, RGB{-0.25, 0, 1}}));
        const QByteArray p3 = R"("p3":{"r":0.1,"g":0.2,"b":0.3})";
        const QByteArray srgb = R"("srgb":{"r":0.1,"g":0.2,"b":0.3})";
        for (const QByteArray &incomplete :
             QByteArrayList{"{" + srgb + "}", R"({"srgb":{"r":0.1,"b":0.3},)" + p3 + "}",
                            R"({"srgb":{"r":"0.1","g":0.2,"b":0.3},)" + p3 + "}",
                            "{" + srgb + R"(,"p3":[0.1,0.2,0.3]})"})
            QVERIFY2(!decode(incomplete), incomplete.constData());
    }
    void conversionMatchesAndClips() {
        // Saturated P3 green lies outside sRGB: clipped there, without negative zeros.
        const PickedColor green = pickedColor(RGB{0, 1, 0}, p3Space);
        QVERIFY2(near(green.p3, RGB{0, 1, 0}, 1e-6), describe(green.p3));
        QCOMPARE(green.srgb, (RGB{0, 1, 0}));
        QVERIFY(!std::signbit(green.srgb.r) && !std::signbit(green.srgb.b));
        const PickedColor blue = pickedColor(RGB{0.2, 0.4, 0.6}, srgbSpace);
        QCOMPARE(blue.srgb, (RGB{0.2, 0.4, 0.6}));
        QVERIFY2(near(blue.p3, RGB{0.2499, 0.3952, 0.584}, 1e-4), describe(blue.p3));
        // sRGB red lies inside P3, so nothing clips there; P3 red clips in sRGB.
        const RGB red = rgbComponents(RGB{1, 0, 0}, srgbSpace, QColorSpace::DisplayP3);
        QVERIFY2(near(red, RGB{0.9175, 0.2003, 0.1386}, 1e-3), describe(red));
        QCOMPARE(rgbComponents(RGB{1, 0, 0}, p3Space, QColorSpace::SRgb), (RGB{1, 0, 0}));
        const RGB clipped = rgbComponents(RGB{1.0000001, -0.0, 0.5}, srgbSpace, QColorSpace::SRgb);
        QCOMPARE(clipped, (RGB{1, 0, 0.5}));
        QVERIFY(!std::signbit(clipped.g));
        QCOMPARE(rgbComponents(RGB{1.25, -0.5, 0.5}, p3Space, QColorSpace::DisplayP3),
                 (RGB{1, 0, 0.5}));
        // The source space matters.
        const RGB input{0.3, 0.5, 0.7};
        QVERIFY(
            !near(rgbComponents(input, srgbSpace, QColorSpace::DisplayP3),
                  rgbComponents(input, QColorSpace(QColorSpace::AdobeRgb), QColorSpace::DisplayP3),
                  1e-3));
        QCOMPARE(rgbComponents(input, p3Space, QColorSpace::DisplayP3), input);
    }
    // Half-float or 8-bit intermediates would lose the third decimal of the code formats.
    void conversionRoundTripKeepsPrecision() {
        for (int byte = 0; byte <= 255; byte += 5) {
            const RGB original{byte / 255.0, 0.4, 1 - byte / 255.0};
            const RGB p3 = rgbComponents(original, srgbSpace, QColorSpace::DisplayP3);
            const RGB back = rgbComponents(p3, p3Space, QColorSpace::SRgb);
            QVERIFY2(near(back, original, 2e-6),
                     QByteArray(describe(back) + " from " + describe(original)).constData());
        }
    }
    void conversionOfUnusableInputGivesBlack() {
        QCOMPARE(pickedColor(RGB{0.2, 0.4, 0.6}, QColorSpace()), (PickedColor{RGB{}, RGB{}}));
        // An unknown target space is handled without Qt's warnings.
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        QCOMPARE(rgbComponents(RGB{0.2, 0.4, 0.6}, srgbSpace, QColorSpace::NamedColorSpace(99)),
                 RGB{});
        QCOMPARE(rgbComponents(RGB{notANumber, 0.4, 0.6}, srgbSpace, QColorSpace::SRgb), RGB{});
        QCOMPARE(rgbComponents(RGB{0.2, notANumber, 0.6}, srgbSpace, QColorSpace::DisplayP3),
                 RGB{});
    }

    void formatRawValues() {
        for (ColorFormat format : ColorFormats::allCases())
            QVERIFY(ColorFormats::fromRawValue(ColorFormats::rawValue(format)) == format);
        for (const QString &text : {u"HEX"_s, u""_s, u"hex "_s, u"CSS variable"_s})
            QVERIFY(!ColorFormats::fromRawValue(text));
    }
    void formatText_data() {
        QTest::addColumn<PickedColor>("color");
        QTest::addColumn<ColorFormat>("format");
        QTest::addColumn<QString>("name"); // null: no name
        QTest::addColumn<bool>("lowercase");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *title, const PickedColor &color, ColorFormat format,
                            const char *expected, const QString &name = {}, bool lower = false) {
            QTest::newRow(title) << color << format << name << lower << QString::fromUtf8(expected);
        };
        using F = ColorFormat;
        row("sample hex", sample, F::hex, "#336699");
        row("sample rgb", sample, F::rgb, "rgb(51 102 153)");
        row("sample hsl", sample, F::hsl, "hsl(210 50% 40%)");
        row("sample oklch", sample, F::oklch, "oklch(49.93% 0.099 250.4)");
        row("sample swiftUI", sample, F::swiftUI, "Color(red: 0.200, green: 0.400, blue: 0.600)");
        row("sample swiftUIP3", sample, F::swiftUIP3,
            "Color(.displayP3, red: 0.250, green: 0.395, blue: 0.584)");
        row("sample nsColor", sample, F::nsColor,
            "NSColor(srgbRed: 0.200, green: 0.400, blue: 0.600, alpha: 1)");
        row("sample uiColor", sample, F::uiColor,
            "UIColor(red: 0.200, green: 0.400, blue: 0.600, alpha: 1)");
        row("sample css", sample, F::cssVariable, "--sky-700: #336699;");
        row("sample css named", sample, F::cssVariable, "--Brand: #336699;", u"Brand"_s);
        row("sample tailwind", sample, F::tailwind, "sky-700");

        const PickedColor cyanish = opaque(0.1, 0.7, 0.9);
        row("hex upper", cyanish, F::hex, "#1AB3E6");
        row("hex lower", cyanish, F::hex, "#1ab3e6", {}, true);
        row("white oklch", opaque(1, 1, 1), F::oklch, "oklch(100% 0 0)");
        row("red oklch", opaque(1, 0, 0), F::oklch, "oklch(62.8% 0.258 29.2)");

        // A hue just below 360 rounds up when printed; only values of 360 or more wrap to 0.
        row("hue 359.96", opaque(1, 0, 0.000667), F::hsl, "hsl(360 100% 50%)");
        row("green hue", opaque(0, 1, 0), F::hsl, "hsl(120 100% 50%)");
        row("blue hue", opaque(0, 0, 1), F::hsl, "hsl(240 100% 50%)");

        // Bytes clamp; the fixed-decimal formats print the values as they are.
        const PickedColor outOfRange{RGB{1.5, -0.25, 0.5}, RGB{1.5, -0.25, 0.5}};
        row("clamped hex", outOfRange, F::hex, "#FF0080");
        row("unclamped swiftUI", outOfRange, F::swiftUI,
            "Color(red: 1.500, green: -0.250, blue: 0.500)");

        // The P3 triple feeds only its own format.
        const PickedColor wideGreen{RGB{0, 1, 0}, RGB{0.458, 0.985, 0.298}};
        row("wide green swiftUI", wideGreen, F::swiftUI,
            "Color(red: 0.000, green: 1.000, blue: 0.000)");
        row("wide green P3", wideGreen, F::swiftUIP3,
            "Color(.displayP3, red: 0.458, green: 0.985, blue: 0.298)");
    }
    void formatText() {
        QFETCH(PickedColor, color);
        QFETCH(ColorFormat, format);
        QFETCH(QString, name);
        QFETCH(bool, lowercase);
        QFETCH(QString, expected);
        const std::optional<QString> givenName =
            name.isNull() ? std::nullopt : std::optional<QString>(name);
        QCOMPARE(ColorFormats::format(format, color, givenName, lowercase), expected);
    }
    void formatLowercaseHexOnlyTouchesHexFormats() {
        const PickedColor color = opaque(0.1, 0.7, 0.9);
        for (ColorFormat format : ColorFormats::allCases()) {
            const QString upper = ColorFormats::format(format, color, std::nullopt, false);
            const QString lower = ColorFormats::format(format, color, std::nullopt, true);
            const bool hexFormat = format == ColorFormat::hex || format == ColorFormat::cssVariable;
            QVERIFY2((upper != lower) == hexFormat, qPrintable(ColorFormats::rawValue(format)));
            if (format != ColorFormat::tailwind) {
                QCOMPARE(ColorFormats::labelText(format, color, true), lower);
                QCOMPARE(ColorFormats::labelText(format, color, false), upper);
            }
        }
    }
    void formatLabelText() {
        // About 0.0015 away in OKLab still counts as exact, 0.0025 no longer (the threshold is
        // 0.002); the marker belongs to the label only.
        for (const auto &[color, label] :
             {std::pair{sample, u"sky-700 \u2248"_s},
              {opaque(1, 1, 1), u"white"_s},
              {opaque(0.982661, 0.171797, 0.21307), u"red-500"_s},
              {opaque(0.982661, 0.178, 0.21307), u"red-500"_s},
              {opaque(0.982661, 0.182, 0.21307), u"red-500 \u2248"_s}}) {
            QCOMPARE(ColorFormats::labelText(ColorFormat::tailwind, color, false), label);
            QCOMPARE(format(ColorFormat::tailwind, color), label.section(u' ', 0, 0));
        }
    }
    void formatNumber_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<bool>("trim");
        QTest::addColumn<QString>("expected");
        QTest::newRow("210/1 trimmed") << 210.0 << 1 << true << u"210"_s;
        QTest::newRow("0.0991/3 trimmed") << 0.0991 << 3 << true << u"0.099"_s;
        QTest::newRow("-0.04/1 trimmed") << -0.04 << 1 << true << u"0"_s;
        QTest::newRow("-0.4/0") << -0.4 << 0 << false << u"0"_s;
        QTest::newRow("100/0 trimmed keeps zeros") << 100.0 << 0 << true << u"100"_s;
        QTest::newRow("359.96/1 trimmed") << 359.96 << 1 << true << u"360"_s;
        // Correct rounding of the binary value: ties to even, near-ties by their true value.
        QTest::newRow("0.125/2") << 0.125 << 2 << false << u"0.12"_s;
        QTest::newRow("2.675/2") << 2.675 << 2 << false << u"2.67"_s;
        QTest::newRow("0.0005/3") << 0.0005 << 3 << false << u"0.001"_s;
        QTest::newRow("no grouping") << 1234567.0 << 1 << false << u"1234567.0"_s;
        QTest::newRow("large") << 1e21 << 0 << false << u"1000000000000000000000"_s;
    }
    void formatNumber() {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(bool, trim);
        QFETCH(QString, expected);
        QCOMPARE(::formatNumber(value, decimals, trim), expected);
    }
    // QCoreApplication calls setlocale(LC_ALL, ""), so a user with a decimal-comma locale would get
    // "0,200" from printf. The formats must not follow.
    void formatIgnoresProcessLocale() {
        QStringList expected;
        for (ColorFormat each : ColorFormats::allCases())
            expected << format(each, sample);
        const DecimalCommaLocale locale;
        if (!locale.isActive())
            QSKIP(DecimalCommaLocale::unavailable);
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 0.5);
        QCOMPARE(QByteArray(probe), QByteArray("0,5")); // the locale really is active
        QCOMPARE(::formatNumber(1234.5, 2, false), u"1234.50"_s);
        QStringList formatted;
        for (ColorFormat each : ColorFormats::allCases())
            formatted << format(each, sample);
        QCOMPARE(formatted, expected);
    }
    void formatChannelBytes() {
        // 0.5 rounds up; out of range and NaN clamp.
        for (const auto &[channel, byte] : {std::pair{0.5, 128},
                                            {127.49999 / 255, 127},
                                            {-0.5, 0},
                                            {1.0000001, 255},
                                            {notANumber, 0}})
            QCOMPARE(channelByte(channel), byte);
    }
};

QTEST_GUILESS_MAIN(tst_Color)
#include "tst_Color.moc"
