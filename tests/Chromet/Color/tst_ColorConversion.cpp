#include "Chromet/Color/ColorConversion.h"
#include "Chromet/Color/ColorFormat.h"

#include <QRegularExpression>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

bool near(const RGB &actual, const RGB &expected, double tolerance) {
    return std::abs(actual.r - expected.r) <= tolerance &&
           std::abs(actual.g - expected.g) <= tolerance &&
           std::abs(actual.b - expected.b) <= tolerance;
}

QByteArray describe(const RGB &rgb) {
    return QByteArray::number(rgb.r, 'g', 10) + ", " + QByteArray::number(rgb.g, 'g', 10) + ", " +
           QByteArray::number(rgb.b, 'g', 10);
}

const QColorSpace srgbSpace{QColorSpace::SRgb};
const QColorSpace p3Space{QColorSpace::DisplayP3};

} // namespace

class tst_ColorConversion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void saturatedP3GreenClipsInSrgb() {
        const PickedColor color = pickedColor(RGB{0, 1, 0}, p3Space);
        QVERIFY2(near(color.p3, RGB{0, 1, 0}, 1e-6), describe(color.p3));
        QCOMPARE(color.srgb, (RGB{0, 1, 0}));
        QVERIFY(!std::signbit(color.srgb.r) && !std::signbit(color.srgb.b));
    }
    void srgbSourceKeepsItsValues() {
        const PickedColor color = pickedColor(RGB{0.2, 0.4, 0.6}, srgbSpace);
        QCOMPARE(color.srgb, (RGB{0.2, 0.4, 0.6}));
        QVERIFY2(near(color.p3, RGB{0.2499, 0.3952, 0.584}, 1e-4), describe(color.p3));
        QCOMPARE(ColorFormats::format(ColorFormat::swiftUIP3, color, std::nullopt, false),
                 QString("Color(.displayP3, red: 0.250, green: 0.395, blue: 0.584)"));
        // sRGB red lies inside P3, so nothing clips there.
        const RGB red = rgbComponents(RGB{1, 0, 0}, srgbSpace, QColorSpace::DisplayP3);
        QVERIFY2(near(red, RGB{0.9175, 0.2003, 0.1386}, 1e-3), describe(red));
    }
    // Half-float or 8-bit intermediates would lose the third decimal of the code formats.
    void roundTripKeepsPrecision() {
        for (int byte = 0; byte <= 255; byte += 5) {
            const RGB original{byte / 255.0, 0.4, 1 - byte / 255.0};
            const RGB p3 = rgbComponents(original, srgbSpace, QColorSpace::DisplayP3);
            const RGB back = rgbComponents(p3, p3Space, QColorSpace::SRgb);
            QVERIFY2(near(back, original, 2e-6),
                     QByteArray(describe(back) + " from " + describe(original)).constData());
        }
    }
    void clampsEachChannel() {
        const RGB clipped = rgbComponents(RGB{1.0000001, -0.0, 0.5}, srgbSpace, QColorSpace::SRgb);
        QCOMPARE(clipped, (RGB{1, 0, 0.5}));
        QVERIFY(!std::signbit(clipped.g));

        const RGB wide = rgbComponents(RGB{1.25, -0.5, 0.5}, p3Space, QColorSpace::DisplayP3);
        QCOMPARE(wide, (RGB{1, 0, 0.5}));

        // Matching into sRGB pushes saturated P3 red out of range on every channel but red.
        const RGB red = rgbComponents(RGB{1, 0, 0}, p3Space, QColorSpace::SRgb);
        QCOMPARE(red, (RGB{1, 0, 0}));
    }
    void unusableInputGivesBlack() {
        QCOMPARE(pickedColor(RGB{0.2, 0.4, 0.6}, QColorSpace()), (PickedColor{RGB{}, RGB{}}));
        // An unknown target space is handled without Qt's warnings.
        QTest::failOnWarning(QRegularExpression(".*"));
        const auto unknown = QColorSpace::NamedColorSpace(99);
        QCOMPARE(rgbComponents(RGB{0.2, 0.4, 0.6}, srgbSpace, unknown), RGB{});
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QCOMPARE(rgbComponents(RGB{nan, 0.4, 0.6}, srgbSpace, QColorSpace::SRgb), RGB{});
        QCOMPARE(rgbComponents(RGB{0.2, nan, 0.6}, srgbSpace, QColorSpace::DisplayP3), RGB{});
    }
    void changingSourceSpaceIsNoticed() {
        const QColorSpace adobe(QColorSpace::AdobeRgb);
        const RGB input{0.3, 0.5, 0.7};
        const RGB fromSrgb = rgbComponents(input, srgbSpace, QColorSpace::DisplayP3);
        const RGB fromAdobe = rgbComponents(input, adobe, QColorSpace::DisplayP3);
        const RGB fromP3 = rgbComponents(input, p3Space, QColorSpace::DisplayP3);
        QVERIFY(!near(fromSrgb, fromAdobe, 1e-3));
        QCOMPARE(fromP3, input);
        QCOMPARE(rgbComponents(input, srgbSpace, QColorSpace::DisplayP3), fromSrgb);
    }
};

QTEST_GUILESS_MAIN(tst_ColorConversion)
#include "tst_ColorConversion.moc"
