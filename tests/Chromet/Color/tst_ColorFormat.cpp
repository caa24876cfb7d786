#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Color/ColorMath.h"

#include <QTest>

#include <clocale>
#include <cstdio>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ColorFormat)
Q_DECLARE_METATYPE(PickedColor)

namespace {

PickedColor opaque(double r, double g, double b) {
    return PickedColor{RGB{r, g, b}, RGB{r, g, b}};
}

const PickedColor sample{RGB{0.2, 0.4, 0.6}, RGB{0.2499, 0.3952, 0.584}};

} // namespace

class tst_ColorFormat : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fromRawValue_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        for (ColorFormat format : ColorFormats::allCases()) {
            const QString raw = ColorFormats::rawValue(format);
            QTest::newRow(qPrintable(raw)) << raw << true;
        }
        QTest::newRow("HEX") << u"HEX"_s << false;
        QTest::newRow("empty") << u""_s << false;
        QTest::newRow("trailing space") << u"hex "_s << false;
        QTest::newRow("display name") << u"CSS variable"_s << false;
    }
    void fromRawValue() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const std::optional<ColorFormat> format = ColorFormats::fromRawValue(text);
        QCOMPARE(format.has_value(), valid);
        if (valid)
            QCOMPARE(ColorFormats::rawValue(*format), text);
    }
    void formatText_data() {
        QTest::addColumn<PickedColor>("color");
        QTest::addColumn<ColorFormat>("format");
        QTest::addColumn<QString>("name"); // null: no name
        QTest::addColumn<bool>("lowercase");
        QTest::addColumn<QString>("expected");

        using F = ColorFormat;
        const QString none;
        QTest::newRow("sample hex") << sample << F::hex << none << false << u"#336699"_s;
        QTest::newRow("sample rgb") << sample << F::rgb << none << false << u"rgb(51 102 153)"_s;
        QTest::newRow("sample hsl") << sample << F::hsl << none << false << u"hsl(210 50% 40%)"_s;
        QTest::newRow("sample oklch")
            << sample << F::oklch << none << false << u"oklch(49.93% 0.099 250.4)"_s;
        QTest::newRow("sample swiftUI") << sample << F::swiftUI << none << false
                                        << u"Color(red: 0.200, green: 0.400, blue: 0.600)"_s;
        QTest::newRow("sample swiftUIP3")
            << sample << F::swiftUIP3 << none << false
            << u"Color(.displayP3, red: 0.250, green: 0.395, blue: 0.584)"_s;
        QTest::newRow("sample nsColor")
            << sample << F::nsColor << none << false
            << u"NSColor(srgbRed: 0.200, green: 0.400, blue: 0.600, alpha: 1)"_s;
        QTest::newRow("sample uiColor")
            << sample << F::uiColor << none << false
            << u"UIColor(red: 0.200, green: 0.400, blue: 0.600, alpha: 1)"_s;
        QTest::newRow("sample css")
            << sample << F::cssVariable << none << false << "--sky-700: #336699;";
        QTest::newRow("sample css named")
            << sample << F::cssVariable << QString("Brand") << false << "--Brand: #336699;";
        QTest::newRow("sample tailwind") << sample << F::tailwind << none << false << u"sky-700"_s;

        const PickedColor cyanish = opaque(0.1, 0.7, 0.9);
        QTest::newRow("hex upper") << cyanish << F::hex << none << false << u"#1AB3E6"_s;
        QTest::newRow("hex lower") << cyanish << F::hex << none << true << u"#1ab3e6"_s;
        QTest::newRow("css lower")
            << cyanish << F::cssVariable << QString("x") << true << "--x: #1ab3e6;";

        const PickedColor white = opaque(1, 1, 1);
        QTest::newRow("white oklch") << white << F::oklch << none << false << u"oklch(100% 0 0)"_s;

        const PickedColor red = opaque(1, 0, 0);
        QTest::newRow("red oklch")
            << red << F::oklch << none << false << u"oklch(62.8% 0.258 29.2)"_s;

        // A hue just below 360 rounds up when printed; only values of 360 or more wrap to 0.
        QTest::newRow("hue 359.96")
            << opaque(1, 0, 0.000667) << F::hsl << none << false << u"hsl(360 100% 50%)"_s;
        QTest::newRow("green hue")
            << opaque(0, 1, 0) << F::hsl << none << false << u"hsl(120 100% 50%)"_s;
        QTest::newRow("blue hue") << opaque(0, 0, 1) << F::hsl << none << false
                                  << u"hsl(240 100% 50%)"_s;

        // Bytes clamp; the fixed-decimal formats print the values as they are.
        const PickedColor outOfRange{RGB{1.5, -0.25, 0.5}, RGB{1.5, -0.25, 0.5}};
        QTest::newRow("clamped hex") << outOfRange << F::hex << none << false << u"#FF0080"_s;
        QTest::newRow("unclamped swiftUI") << outOfRange << F::swiftUI << none << false
                                           << u"Color(red: 1.500, green: -0.250, blue: 0.500)"_s;

        // The P3 triple feeds only its own format.
        const PickedColor wideGreen{RGB{0, 1, 0}, RGB{0.458, 0.985, 0.298}};
        QTest::newRow("wide green swiftUI") << wideGreen << F::swiftUI << none << false
                                            << u"Color(red: 0.000, green: 1.000, blue: 0.000)"_s;
        QTest::newRow("wide green P3")
            << wideGreen << F::swiftUIP3 << none << false
            << u"Color(.displayP3, red: 0.458, green: 0.985, blue: 0.298)"_s;
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
    void lowercaseHexOnlyTouchesHexFormats() {
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
    void labelText_data() {
        QTest::addColumn<PickedColor>("color");
        QTest::addColumn<QString>("expected");
        QTest::newRow("sample") << sample << QString::fromUtf8("sky-700 \u2248");
        QTest::newRow("white") << opaque(1, 1, 1) << u"white"_s;
        QTest::newRow("exact entry") << opaque(0.982661, 0.171797, 0.21307) << u"red-500"_s;
        // About 0.0015 away in OKLab still counts as exact, 0.0025 no longer; the threshold is
        // 0.002.
        QTest::newRow("near entry") << opaque(0.982661, 0.178, 0.21307) << u"red-500"_s;
        QTest::newRow("beyond threshold")
            << opaque(0.982661, 0.182, 0.21307) << QString::fromUtf8("red-500 \u2248");
    }
    void labelText() {
        QFETCH(PickedColor, color);
        QFETCH(QString, expected);
        QCOMPARE(ColorFormats::labelText(ColorFormat::tailwind, color, false), expected);
        // The marker belongs to the label only.
        QCOMPARE(ColorFormats::format(ColorFormat::tailwind, color, std::nullopt, false),
                 expected.section(QLatin1Char(' '), 0, 0));
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
    void formatNumberIgnoresProcessLocale() {
        const QByteArray localeDir = qgetenv("CHROMET_TEST_LOCPATH");
        if (!localeDir.isEmpty())
            qputenv("LOCPATH", localeDir);
        const std::string previous = std::setlocale(LC_ALL, nullptr);
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
            QSKIP("de_DE.UTF-8 is not available; generate it with localedef and point "
                  "CHROMET_TEST_LOCPATH at its folder");
        const auto restore = qScopeGuard([&] { std::setlocale(LC_ALL, previous.c_str()); });

        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 0.5);
        QCOMPARE(QByteArray(probe), QByteArray("0,5")); // the locale really is active

        QCOMPARE(::formatNumber(1234.5, 2, false), QString("1234.50"));
        QCOMPARE(ColorFormats::format(ColorFormat::swiftUI, sample, std::nullopt, false),
                 QString("Color(red: 0.200, green: 0.400, blue: 0.600)"));
        QCOMPARE(ColorFormats::format(ColorFormat::oklch, sample, std::nullopt, false),
                 QString("oklch(49.93% 0.099 250.4)"));
        QCOMPARE(ColorFormats::format(ColorFormat::rgb, opaque(1, 1, 1), std::nullopt, false),
                 QString("rgb(255 255 255)"));
    }
    void channelBytes_data() {
        QTest::addColumn<double>("channel");
        QTest::addColumn<int>("byte");
        QTest::newRow("0.5 rounds up") << 0.5 << 128;
        QTest::newRow("negative") << -0.5 << 0;
        QTest::newRow("above 1") << 1.0000001 << 255;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0;
        QTest::newRow("just below half") << 127.49999 / 255 << 127;
    }
    void channelBytes() {
        QFETCH(double, channel);
        QFETCH(int, byte);
        QCOMPARE(channelByte(channel), byte);
    }
};

QTEST_GUILESS_MAIN(tst_ColorFormat)
#include "tst_ColorFormat.moc"
