#include "Chromet/Picking/GlassView.h"
#include "Chromet/Picking/LensView.h"
#include "Chromet/Picking/LoupeView.h"
#include "Chromet/Picking/Motion.h"
#include "Support/ColorFixture.h"

#include <QPainter>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// A display at (100, 50) of 800 x 600 points whose every pixel has its own color.
ScreenSnapshot patterned(double scale = 1, QSizeF points = QSizeF(800, 600)) {
    ScreenSnapshot s;
    s.displayID = 3;
    s.frame = QRectF(QPointF(100, 50), points);
    s.image = colorFixtureImage((points * scale).toSize());
    return s;
}

ScreenSnapshot filled(QColor color, QSizeF points = QSizeF(800, 600)) {
    ScreenSnapshot s;
    s.displayID = 4;
    s.frame = QRectF(QPointF(0, 0), points);
    s.image = QImage(points.toSize(), QImage::Format_RGB32);
    s.image.fill(color);
    return s;
}

void settle(LoupeView &view) {
    Motion::finish(view.ringGlass());
    Motion::finish(view.pillGlass());
}

QImage render(QWidget &widget, double ratio = 1) {
    QImage image(widget.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::magenta);
    widget.render(&image);
    return image;
}

QRgb at(const QImage &image, QPointF logical) {
    const double ratio = image.devicePixelRatio();
    return image.pixel(int(std::floor(logical.x() * ratio)), int(std::floor(logical.y() * ratio))) |
           0xff000000u;
}

// Centre of lens cell (i, j) in the ring glass's own coordinates.
QPointF cellCentre(const GlassView &ring, int i, int j) {
    const qreal cell = (LoupeView::ringSize - 2 * LensView::inset) / LensView::cells;
    return ring.contentTransform().map(
        QPointF(LensView::inset + cell * (i + 0.5), LensView::inset + cell * (j + 0.5)));
}

bool near(QRgb a, QRgb b, int tolerance = 1) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// QRegion::contains() only tells whether a rectangle overlaps.
bool covers(const QRegion &region, const QRegion &part) {
    return part.subtracted(region).isEmpty();
}

} // namespace

class tst_LoupeView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lensCellsShowSnapshotPixels_data() {
        QTest::addColumn<double>("scale");
        QTest::addColumn<double>("ratio"); // of the device the view is drawn on
        QTest::newRow("1x") << 1.0 << 1.0;
        QTest::newRow("2x snapshot on a 1x device") << 2.0 << 1.0;
    }
    void lensCellsShowSnapshotPixels() {
        QFETCH(double, scale);
        QFETCH(double, ratio);
        LoupeView view(patterned(scale));
        const QPointF local(400, 300);
        view.update(QPointF(100, 50) + local);
        settle(view);
        QVERIFY(view.isLoupeVisible());
        const QPoint centre = (local * scale).toPoint();

        const QImage image = render(view, ratio);
        const QPointF glassOrigin = view.ringGlass()->geometry().topLeft();
        int checked = 0;
        for (int j = 0; j < LensView::cells; ++j) {
            for (int i = 0; i < LensView::cells; ++i) {
                if (i == 7 && j == 7)
                    continue; // the marker is drawn over it
                const QPointF p = glassOrigin + cellCentre(*view.ringGlass(), i, j);
                // Cells whose centre the circle cuts off are not compared.
                if (QLineF(p, QPointF(local)).length() > 82.5 - 8)
                    continue;
                const QRgb expected = view.snapshot().image.pixel(centre + QPoint(i - 7, j - 7));
                QCOMPARE(QString::number(at(image, p), 16), QString::number(expected, 16));
                ++checked;
            }
        }
        QCOMPARE(checked, 144); // every cell well inside the circle

        // The pill's swatch shows the picked pixel.
        const QRectF pill = view.pillGlass()->frame();
        const QRgb swatch = at(image, QPointF(pill.left() + 11 + 8, pill.center().y()));
        QVERIFY2(near(swatch, view.snapshot().image.pixel(centre)),
                 qPrintable(QString::number(swatch, 16)));
    }
    // Below the ring while 96.5 + 10 + 36 points fit under the point, else above; slid inward at
    // the sides while the lens stays on the pointer.
    void pillPlacement_data() {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<bool>("below");
        QTest::addColumn<int>("edge"); // the display's edge the pill touches; -1: centred
        QTest::newRow("still fits below") << QPointF(400, 457) << true << -1;
        QTest::newRow("near the bottom") << QPointF(400, 460) << false << -1;
        QTest::newRow("left edge") << QPointF(2, 200) << true << 0;
        QTest::newRow("right edge") << QPointF(798, 200) << true << 800;
    }
    void pillPlacement() {
        QFETCH(QPointF, point);
        QFETCH(bool, below);
        QFETCH(int, edge);
        LoupeView view(filled(Qt::darkCyan));
        view.update(point);
        const QRectF ring = view.ringGlass()->frame();
        const QRectF pill = view.pillGlass()->frame();
        QCOMPARE(ring.center(), point);
        QCOMPARE(below ? pill.top() : pill.bottom(), below ? ring.bottom() + 10 : ring.top() - 10);
        if (edge < 0)
            QCOMPARE(pill.center().x(), point.x());
        else
            QCOMPARE(edge ? pill.right() : pill.left(), qreal(edge));
    }
    void toneTurnsDarkAboveAndLightOnlyBelow() {
        // Five bands of 300 points in grey bytes around the thresholds (as linear light: 0.617,
        // 0.624, 0.423, 0.418, 0.617); the loupe is moved to the middle of each.
        const QList<int> bands{206, 207, 174, 173, 206};
        ScreenSnapshot s = filled(Qt::black, QSizeF(1500, 600));
        {
            QPainter painter(&s.image);
            for (int i = 0; i < bands.size(); ++i)
                painter.fillRect(QRect(300 * i, 0, 300, 600), QColor(bands[i], bands[i], bands[i]));
        }
        LoupeView view(s);
        const QList<PillTone> expected{PillTone::lightText, PillTone::darkText, PillTone::darkText,
                                       PillTone::lightText, PillTone::lightText};
        for (int i = 0; i < bands.size(); ++i) {
            view.update(QPointF(300 * i + 150, 200));
            QVERIFY2(view.pill()->tone() == expected[i], qPrintable(QString::number(i)));
        }
    }
    void confirmAppendsCopiedAndWidens() {
        LoupeView view(filled(QColor(0x3a, 0x7b, 0xd5)));
        // Without a loupe on this display, nothing to confirm.
        view.confirm();
        view.update(QPointF(400, 300));
        view.update(QPointF(-50, 300));
        view.confirm();
        QCOMPARE(view.pill()->text(), u"#3A7BD5"_s);

        view.update(QPointF(400, 300));
        settle(view);
        view.confirm();
        QCOMPARE(view.pill()->text(), u"#3A7BD5 copied"_s);
        // The glass grows to the new width and is repainted there.
        QTRY_VERIFY(!Motion::isAnimating(view.pillGlass()));
        const QRectF after = view.pillGlass()->frame();
        QCOMPARE(after.width(), PillView::textWidth(u"#3A7BD5 copied"_s) + 52);
        QCOMPARE(after.center().x(), view.ringGlass()->frame().center().x());
        QVERIFY(covers(view.lastDirtyRegion(), after.toAlignedRect()));
    }
    void popInShowsTheLoupeFromTheFirstFrame() {
        // A black display with one white pixel, under the pointer.
        ScreenSnapshot snapshot = filled(Qt::black);
        const QPoint pointer(400, 300);
        snapshot.image.setPixel(pointer, qRgb(255, 255, 255));
        LoupeView view(snapshot);
        view.update(pointer);
        // Painted before any animation step, the lens's centre cell already lights the pixels
        // around the pointer: the ring is not transparent.
        const QImage frame = render(view);
        for (const QPoint offset : {QPoint(-3, -3), QPoint(3, 0), QPoint(0, 3)})
            QVERIFY(qGray(at(frame, pointer + offset)) > 20);
        QVERIFY(view.ringGlass()->scale() < 1);
        settle(view);

        // Moving on the display does not pop in again.
        view.update(QPointF(410, 300));
        QCOMPARE(view.ringGlass()->opacity(), 1.0);
        // On to a display to the right: hidden here. Back: it pops in anew.
        view.update(QPointF(900, 300));
        QVERIFY(!view.isLoupeVisible());
        QVERIFY(view.pillGlass()->isHidden());
        view.update(QPointF(799, 300));
        QVERIFY(view.isLoupeVisible());
        QVERIFY(view.ringGlass()->opacity() < 1 && view.ringGlass()->scale() < 1);
    }
    void input_data() {
        QTest::addColumn<int>("key"); // 0: a click of `button`
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QString>("action"); // empty: nothing

        const Qt::KeyboardModifiers none;
        const Qt::KeyboardModifiers shift(Qt::ShiftModifier);
        QTest::newRow("Return") << int(Qt::Key_Return) << none << Qt::NoButton << "pick";
        QTest::newRow("Space") << int(Qt::Key_Space) << none << Qt::NoButton << "pick";
        QTest::newRow("Shift+Return") << int(Qt::Key_Return) << shift << Qt::NoButton << "pick";
        QTest::newRow("Escape") << int(Qt::Key_Escape) << none << Qt::NoButton << "cancel";
        QTest::newRow("left") << int(Qt::Key_Left) << none << Qt::NoButton << "nudge(-1, 0)";
        QTest::newRow("Shift+left")
            << int(Qt::Key_Left) << shift << Qt::NoButton << "nudge(-10, 0)";
        QTest::newRow("keypad Enter")
            << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << Qt::NoButton
            << "";
        QTest::newRow("letter") << int(Qt::Key_A) << none << Qt::NoButton << "";
        // On the lens itself: the glass never takes the click.
        QTest::newRow("left click") << 0 << none << Qt::LeftButton << "pick";
        QTest::newRow("right click") << 0 << none << Qt::RightButton << "cancel";
        QTest::newRow("middle click") << 0 << none << Qt::MiddleButton << "";
    }
    void input() {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(Qt::MouseButton, button);
        QFETCH(QString, action);
        LoupeView view(patterned());
        view.update(QPointF(500, 300));
        QStringList actions;
        view.setOnAction([&](const LoupeAction &a) { actions << a.toString(); });
        if (key)
            QTest::keyClick(&view, Qt::Key(key), modifiers);
        else
            QTest::mouseClick(&view, button, {}, QPoint(400, 250));
        QCOMPARE(actions, action.isEmpty() ? QStringList() : QStringList{action});
    }
    // A pick opens on the pixels around the pointer alone: where they were read, the view draws
    // them as it would draw the whole display's, and the glass shows them blurred in place.
    void partialSnapshotDrawsAsTheWholeDisplay() {
        const ScreenSnapshot whole = patterned();
        ScreenSnapshot partial = whole;
        partial.captured = QRect(150, 100, 400, 400);
        partial.displayPixels = whole.image.size();
        partial.image = whole.image.copy(partial.captured);
        LoupeView wholeView(whole);
        LoupeView partialView(partial);
        const QPointF local(350, 300);
        for (LoupeView *view : {&wholeView, &partialView}) {
            view->update(QPointF(100, 50) + local);
            settle(*view);
        }
        const QRect area = partialView.capturedArea();
        QVERIFY(area.contains(partialView.ringGlass()->geometry()));
        const QImage drawn = render(partialView);
        QCOMPARE(drawn.copy(area), render(wholeView).copy(area));

        // Between lens and rim: the pattern, averaged and tinted 10 % white. Away from the
        // pattern's steps its red and green rise by one a pixel, which averaging keeps.
        const auto tinted = [](int v) {
            return (v * 229 + 255 * 26 + 127) / 255;
        };
        const auto awayFromSteps = [](int v) {
            return v % 256 > 12 && v % 256 < 244;
        };
        int checked = 0;
        for (int y = 200; y < 400; ++y) {
            for (int x = 250; x < 450; ++x) {
                const qreal r = QLineF(local, QPointF(x + 0.5, y + 0.5)).length();
                if (r < 85 || r > 94 || !awayFromSteps(x) || !awayFromSteps(y))
                    continue;
                const QRgb pattern = colorFixturePixel(x, y);
                const QRgb expected =
                    qRgb(tinted(qRed(pattern)), tinted(qGreen(pattern)), tinted(qBlue(pattern)));
                QVERIFY2(near(drawn.pixel(x, y), expected, 3),
                         qPrintable(u"%1,%2: %3"_s.arg(x).arg(y).arg(drawn.pixel(x, y), 0, 16)));
                ++checked;
            }
        }
        QVERIFY(checked > 3000);
    }
    void moveRepaintsOnlyWhereTheLoupeWasAndIs() {
        LoupeView view(patterned());
        view.move(100, 50);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.update(QPointF(500, 300));
        settle(view);
        QRegion painted;
        QTRY_VERIFY(covers((painted += view.takePaintedRegion()), view.ringGlass()->geometry()));
        QCoreApplication::processEvents();
        view.takePaintedRegion();

        const QRect ringBefore = view.ringGlass()->geometry();
        const QRect pillBefore = view.pillGlass()->geometry();
        view.update(QPointF(503, 302));
        const QRegion expected = QRegion(ringBefore) + pillBefore + view.ringGlass()->geometry() +
                                 view.pillGlass()->geometry();
        QCOMPARE(view.lastDirtyRegion(), expected);

        painted = QRegion();
        QTRY_VERIFY(covers((painted += view.takePaintedRegion()), view.ringGlass()->geometry()));
        QVERIFY(covers(painted, view.pillGlass()->geometry()));
        QCOMPARE(painted.subtracted(expected), QRegion());

        // Leaving the display repaints where the loupe was and nothing more.
        const QRegion last = QRegion(view.ringGlass()->geometry()) + view.pillGlass()->geometry();
        view.update(QPointF(1000, 300));
        QCOMPARE(view.lastDirtyRegion(), last);
        painted = QRegion();
        QTRY_VERIFY(covers((painted += view.takePaintedRegion()), last));
        QCOMPARE(painted.subtracted(last), QRegion());
    }
};

QTEST_MAIN(tst_LoupeView)
#include "tst_LoupeView.moc"
