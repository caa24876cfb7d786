// The loupe on a display that Qt scales by 2 (QT_SCALE_FACTOR=2, set by the test's environment):
// a point is half a device pixel wide, so every nudge and every pick must land on the right
// device pixel, and the pointer must be warped onto it.

#include "Chromet/Picking/LoupeView.h"
#include "Support/CaptureTestSupport.h"
#include "Support/LoupeX11Fixture.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace {

// Logical geometry; in device pixels the fixture starts at (100, 100) and is 800 x 240.
const QRect kFixture(50, 50, 400, 120);
const QPoint kFixtureOrigin(100, 100);

QRgb colorAtDevicePixel(const QPoint &device) {
    const QPoint local = device - kFixtureOrigin;
    return PatternWindow::colorAt(local.x(), local.y());
}

} // namespace

class tst_X11LoupeControllerScaled : public LoupeX11Fixture {
    Q_OBJECT

    std::unique_ptr<PatternWindow> m_fixture;

private Q_SLOTS:
    void initTestCase() {
        QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
        connectOtherClient();
        m_fixture = std::make_unique<PatternWindow>(kFixture);
        m_fixture->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_fixture.get()));
        X11SnapshotCapturer capturer;
        const QPoint probe = kFixtureOrigin + QPoint(301, 77);
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const auto result = waitForCapture([&](QObject *context, auto done) {
                    capturer.captureAllDisplays(context, done);
                });
                if (!result || !result->ok() || result->snapshots.isEmpty())
                    return false;
                const QImage &image = result->snapshots.first().image;
                return image.width() == 2 * QGuiApplication::primaryScreen()->geometry().width() &&
                       (image.pixel(probe) & 0xffffff) == (colorAtDevicePixel(probe) & 0xffffff);
            }(),
            10000);
    }
    void init() { makeController(); }
    void cleanup() { closeController(); }

    void pointerIsReadToTheDevicePixel() {
        // QCursor::pos() would round (301, 201) to whole points; the loupe needs the half.
        startPick(QPoint(301, 201));
        QCOMPARE(m_controller->point(), QPointF(150.5, 100.5));
        const ScreenSnapshot &snapshot = m_controller->windows().first()->view()->snapshot();
        QCOMPARE(snapshot.pixelAt(m_controller->point()), QPoint(301, 201));
    }
    void nudgesMoveOneDevicePixelAndWarpOntoIt() {
        startPick(QPoint(300, 200));
        QVERIFY(keys({u"Right"_s}));
        QTRY_COMPARE(m_controller->point(), QPointF(150.5, 100));
        QTRY_COMPARE(m_other->pointer(), QPoint(301, 200));
        QVERIFY(keys({u"Up"_s}));
        QTRY_COMPARE(m_other->pointer(), QPoint(301, 199));
        QVERIFY(keys({u"shift+Left"_s}));
        QTRY_COMPARE(m_other->pointer(), QPoint(291, 199));
        // The pointer's own report after the warp leaves the loupe where the keys put it.
        QCOMPARE(m_controller->point(), QPointF(145.5, 99.5));
        QVERIFY(keys({u"Return"_s}));
        QTRY_COMPARE(m_picks.size(), 1);
        QCOMPARE(toRgb(m_picks.first()), colorAtDevicePixel(QPoint(291, 199)));
    }
    void clickPicksTheDevicePixel() {
        startPick(QPoint(300, 200));
        QVERIFY(moveTo(QPoint(333, 223)));
        QTRY_COMPARE(m_controller->point(), QPointF(166.5, 111.5));
        QVERIFY(xdotool({u"click"_s, u"1"_s}));
        QTRY_COMPARE(m_picks.size(), 1);
        QCOMPARE(toRgb(m_picks.first()), colorAtDevicePixel(QPoint(333, 223)));
    }
};

CHROMET_X11_TEST_MAIN(tst_X11LoupeControllerScaled)
#include "tst_X11LoupeControllerScaled.moc"
