#include "Chromet/Picking/ScreenSnapshot.h"
#include "Support/ColorFixture.h"

#include <QColorSpace>
#include <QPainter>
#include <QTest>

namespace {

// A display at (100, 50) whose image has `scale` pixels per point, filled with one color.
ScreenSnapshot snapshot(QSizeF points, double scale, QColor fill = Qt::gray) {
    ScreenSnapshot s;
    s.displayID = 7;
    s.frame = QRectF(QPointF(100, 50), points);
    s.image = QImage((points * scale).toSize(), QImage::Format_RGB32);
    s.image.fill(fill);
    return s;
}

bool near(const RGB &rgb, double r, double g, double b, double tolerance) {
    return qAbs(rgb.r - r) < tolerance && qAbs(rgb.g - g) < tolerance &&
           qAbs(rgb.b - b) < tolerance;
}

} // namespace

class tst_ScreenSnapshot : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pixelAt_data() {
        QTest::addColumn<QPointF>("offset"); // from the frame's top-left, in points
        QTest::addColumn<bool>("inside");
        QTest::addColumn<QPoint>("pixel");

        // 1440 x 900 points at 2x: 2880 x 1800 pixels.
        QTest::newRow("quarter points") << QPointF(10.25, 0.75) << true << QPoint(20, 1);
        QTest::newRow("just inside bottom-right")
            << QPointF(1439.99, 899.99) << true << QPoint(2879, 1799);
        QTest::newRow("right edge") << QPointF(1440, 10) << false << QPoint();
        QTest::newRow("bottom edge") << QPointF(10, 900) << false << QPoint();
        QTest::newRow("left of frame") << QPointF(-0.01, 10) << false << QPoint();
    }
    void pixelAt() {
        QFETCH(QPointF, offset);
        QFETCH(bool, inside);
        QFETCH(QPoint, pixel);

        const ScreenSnapshot s = snapshot(QSizeF(1440, 900), 2);
        const std::optional<QPoint> result = s.pixelAt(s.frame.topLeft() + offset);
        QCOMPARE(result.has_value(), inside);
        if (inside)
            QCOMPARE(*result, pixel);
    }
    void pixelAtClampsIntoShortImage() {
        // The scale comes from the widths alone; a shorter image still yields a row inside it.
        ScreenSnapshot s = snapshot(QSizeF(1440, 900), 2);
        s.image = s.image.copy(0, 0, 2880, 1700);
        QCOMPARE(s.pixelAt(s.frame.topLeft() + QPointF(5, 899)), std::optional(QPoint(10, 1699)));
        // Nothing on an empty frame.
        s.frame.setWidth(0);
        QVERIFY(!s.pixelAt(s.frame.topLeft()));
        QVERIFY(!s.averageLuminance(QRectF(0, 0, 5, 5)));
    }
    void lensCrop_data() {
        QTest::addColumn<QPoint>("centre");
        QTest::addColumn<QRect>("source"); // the image pixels the crop must hold
        QTest::addColumn<QPoint>("offset");

        // A 40 x 30 image.
        QTest::newRow("top-left pixel") << QPoint(0, 0) << QRect(0, 0, 8, 8) << QPoint(7, 7);
        QTest::newRow("bottom-right pixel")
            << QPoint(39, 29) << QRect(32, 22, 8, 8) << QPoint(0, 0);
        QTest::newRow("middle") << QPoint(20, 15) << QRect(13, 8, 15, 15) << QPoint(0, 0);
        QTest::newRow("clipped at the top only")
            << QPoint(20, 2) << QRect(13, 0, 15, 10) << QPoint(0, 5);
        QTest::newRow("centre off the image, block still overlapping")
            << QPoint(-3, 5) << QRect(0, 0, 5, 13) << QPoint(10, 2);
    }
    void lensCrop() {
        QFETCH(QPoint, centre);
        QFETCH(QRect, source);
        QFETCH(QPoint, offset);

        ScreenSnapshot s = snapshot(QSizeF(40, 30), 1);
        s.image = colorFixtureImage(QSize(40, 30), 0); // a crop tells where it came from
        const auto crop = s.lensCrop(centre.x(), centre.y(), 15);
        QVERIFY(crop);
        QCOMPARE(crop->offset, offset);
        QCOMPARE(crop->image.size(), source.size());
        QCOMPARE(crop->image, s.image.copy(source));
    }
    void averageLuminance_data() {
        QTest::addColumn<QRectF>("region");
        QTest::addColumn<double>("luminance"); // -1: none

        // White on the left 100 points of a 2x display, black elsewhere: the region's points must
        // be scaled into pixels, or the black half leaks in.
        QTest::newRow("white") << QRectF(10, 10, 80, 40) << 1.0;
        QTest::newRow("black") << QRectF(100, 0, 300, 300) << 0.0;
        QTest::newRow("half, its edge smoothed") << QRectF(50, 0, 100, 300) << 0.5;
        QTest::newRow("partly outside, clipped") << QRectF(-50, -50, 80, 80) << 1.0;
        QTest::newRow("wholly outside") << QRectF(-300, 20, 100, 40) << -1.0;
        QTest::newRow("empty region") << QRectF(20, 20, 0, 40) << -1.0;
    }
    void averageLuminance() {
        QFETCH(QRectF, region);
        QFETCH(double, luminance);

        ScreenSnapshot s = snapshot(QSizeF(400, 300), 2, Qt::black);
        QPainter(&s.image).fillRect(QRect(0, 0, 200, 600), Qt::white);
        const std::optional<double> result = s.averageLuminance(region);
        QCOMPARE(result.has_value(), luminance >= 0);
        if (result)
            QVERIFY2(qAbs(*result - luminance) < (luminance == 0.5 ? 0.07 : 1e-6),
                     qPrintable(QString::number(*result)));
    }
    void averageLuminanceMatchesColorSpace() {
        // Bytes of 0x80 are 0.2158605 of the light as sRGB, and half of it in a linear space.
        ScreenSnapshot s = snapshot(QSizeF(40, 40), 1, QColor(128, 128, 128));
        QVERIFY(qAbs(*s.averageLuminance(QRectF(0, 0, 40, 40)) - 0.2158605) < 1e-6);
        s.image.setColorSpace(QColorSpace(QColorSpace::SRgbLinear));
        const double luminance = *s.averageLuminance(QRectF(0, 0, 40, 40));
        QVERIFY2(qAbs(luminance - 128 / 255.0) < 0.01, qPrintable(QString::number(luminance)));
    }
    void pixelsNotCapturedAreUnknown() {
        ScreenSnapshot s = snapshot(QSizeF(40, 30), 1);
        const QImage display = colorFixtureImage(QSize(40, 30), 0);
        s.captured = QRect(10, 10, 20, 10);
        s.displayPixels = display.size();
        s.image = display.copy(s.captured);
        QCOMPARE(s.pixelAt(QPointF(139.5, 79.5)), QPoint(39, 29));
        QVERIFY(near(s.colorAtPixel(29, 19)->srgb, 29 / 255.0, 19 / 255.0, 0, 1e-3));
        QVERIFY(s.colorAtPixel(10, 10));
        QVERIFY(!s.colorAtPixel(9, 10) && !s.colorAtPixel(10, 20) && !s.colorAtPixel(30, 10));
        const auto crop = s.lensCrop(12, 12, 15);
        QVERIFY(crop);
        QCOMPARE(crop->offset, QPoint(5, 5));
        QCOMPARE(crop->image, display.copy(QRect(10, 10, 10, 10)));
        ScreenSnapshot whole = s;
        whole.image = display;
        whole.captured = {};
        QCOMPARE(*s.averageLuminance(QRectF(10, 10, 20, 10)),
                 *whole.averageLuminance(QRectF(10, 10, 20, 10)));
    }
    void colorAtPixelInTheImagesSpace() {
        ScreenSnapshot s = snapshot(QSizeF(20, 10), 1);
        s.image.setPixel(3, 4, qRgb(0x33, 0x66, 0x99));
        s.image.setPixel(5, 5, qRgb(0, 255, 0));
        // Untagged is sRGB.
        std::optional<PickedColor> color = s.colorAtPixel(3, 4);
        QVERIFY(color && near(color->srgb, 0.2, 0.4, 0.6, 1e-4));

        s.image.setColorSpace(QColorSpace(QColorSpace::DisplayP3));
        color = s.colorAtPixel(5, 5);
        QVERIFY(color && near(color->p3, 0, 1, 0, 1e-3));
    }
};

QTEST_GUILESS_MAIN(tst_ScreenSnapshot)
#include "tst_ScreenSnapshot.moc"
