// The loupe on a display that Qt scales by 2 (QT_SCALE_FACTOR=2, set by the test's environment):
// a point is half a device pixel wide, so every nudge and every pick must land on the right
// device pixel, and the pointer must be warped onto it.

#include "CaptureTestSupport.h"
#include "LoupeX11TestSupport.h"

#include "Chromet/Picking/LoupeController.h"
#include "Chromet/Picking/LoupeView.h"
#include "Chromet/Picking/LoupeWindow.h"
#include "Chromet/Picking/X11/X11SnapshotCapturer.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QScreen>

namespace {

// Logical geometry; in device pixels the fixture starts at (100, 100) and is 800 x 240.
const QRect kFixture(50, 50, 400, 120);
const QPoint kFixtureOrigin(100, 100);

bool moveTo(const QPoint &device) {
    return xdotool(
        {QStringLiteral("mousemove"), QString::number(device.x()), QString::number(device.y())});
}

QRgb colorAtDevicePixel(const QPoint &device) {
    const QPoint local = device - kFixtureOrigin;
    return PatternWindow::colorAt(local.x(), local.y());
}

QRgb toRgb(const PickedColor &color) {
    return qRgb(int(std::lround(color.srgb.r * 255)), int(std::lround(color.srgb.g * 255)),
                int(std::lround(color.srgb.b * 255)));
}

} // namespace

class tst_X11LoupeControllerScaled : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void pointerIsReadToTheDevicePixel();
    void nudgesMoveOneDevicePixelAndWarpOntoIt();
    void clickPicksTheDevicePixel();

private:
    void startPick(const QPoint &device);

    std::unique_ptr<PatternWindow> m_fixture;
    std::unique_ptr<OtherClient> m_other;
    std::unique_ptr<LoupeController> m_controller;
    QList<PickedColor> m_picks;
};

void tst_X11LoupeControllerScaled::initTestCase() {
    QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
    m_other = std::make_unique<OtherClient>();
    QVERIFY(m_other->ok());
    m_fixture = std::make_unique<PatternWindow>(kFixture);
    m_fixture->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_fixture.get()));
    X11SnapshotCapturer capturer;
    const QPoint probe = kFixtureOrigin + QPoint(301, 77);
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            const auto result = waitForCapture(
                [&](QObject *context, auto done) { capturer.captureAllDisplays(context, done); });
            if (!result || !result->ok() || result->snapshots.isEmpty())
                return false;
            const QImage &image = result->snapshots.first().image;
            return image.width() == 2 * QGuiApplication::primaryScreen()->geometry().width() &&
                   (image.pixel(probe) & 0xffffff) == (colorAtDevicePixel(probe) & 0xffffff);
        }(),
        10000);
}

void tst_X11LoupeControllerScaled::init() {
    m_controller = std::make_unique<LoupeController>(std::make_unique<X11SnapshotCapturer>());
    m_picks.clear();
}

void tst_X11LoupeControllerScaled::cleanup() {
    const QList<LoupeWindow *> windows = m_controller->windows();
    if (m_controller->isShowing())
        m_controller->close();
    for (LoupeWindow *w : windows)
        QTRY_VERIFY(!w->isVisible());
    m_controller.reset();
}

void tst_X11LoupeControllerScaled::startPick(const QPoint &device) {
    QVERIFY(moveTo(device));
    QTRY_COMPARE(m_other->pointer(), device);
    m_controller->start([this](const PickedColor &color) { m_picks.append(color); });
    QTRY_VERIFY(!m_controller->windows().isEmpty());
    QVERIFY(QTest::qWaitForWindowExposed(m_controller->windows().first()));
}

void tst_X11LoupeControllerScaled::pointerIsReadToTheDevicePixel() {
    // QCursor::pos() would round (301, 201) to whole points; the loupe needs the half.
    startPick(QPoint(301, 201));
    QCOMPARE(m_controller->point(), QPointF(150.5, 100.5));
    const ScreenSnapshot &snapshot = m_controller->windows().first()->view()->snapshot();
    QCOMPARE(snapshot.pixelAt(m_controller->point()), QPoint(301, 201));
}

void tst_X11LoupeControllerScaled::nudgesMoveOneDevicePixelAndWarpOntoIt() {
    startPick(QPoint(300, 200));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("Right")}));
    QTRY_COMPARE(m_controller->point(), QPointF(150.5, 100));
    QTRY_COMPARE(m_other->pointer(), QPoint(301, 200));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("Up")}));
    QTRY_COMPARE(m_other->pointer(), QPoint(301, 199));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("shift+Left")}));
    QTRY_COMPARE(m_other->pointer(), QPoint(291, 199));
    // The pointer's own report after the warp leaves the loupe where the keys put it.
    QCOMPARE(m_controller->point(), QPointF(145.5, 99.5));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("Return")}));
    QTRY_COMPARE(m_picks.size(), 1);
    QCOMPARE(toRgb(m_picks.first()), colorAtDevicePixel(QPoint(291, 199)));
}

void tst_X11LoupeControllerScaled::clickPicksTheDevicePixel() {
    startPick(QPoint(300, 200));
    QVERIFY(moveTo(QPoint(333, 223)));
    QTRY_COMPARE(m_controller->point(), QPointF(166.5, 111.5));
    QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    QTRY_COMPARE(m_picks.size(), 1);
    QCOMPARE(toRgb(m_picks.first()), colorAtDevicePixel(QPoint(333, 223)));
}

CHROMET_X11_TEST_MAIN(tst_X11LoupeControllerScaled)
#include "tst_X11LoupeControllerScaled.moc"
