// The loupe over two monitors side by side (Xorg's dummy driver): the display under the pointer
// first, the other once that one is up; the pointer crossing over; keys and clicks on either.

#include "CaptureTestSupport.h"
#include "LoupeX11TestSupport.h"

#include "Chromet/Picking/LoupeController.h"
#include "Chromet/Picking/LoupeView.h"
#include "Chromet/Picking/LoupeWindow.h"
#include "Chromet/Picking/X11/X11LoupeSupport.h"
#include "Chromet/Picking/X11/X11SnapshotCapturer.h"
#include "Support/DummyMonitors.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>

namespace {

const QRect kLeftFixture(200, 200, 300, 100);
const QRect kRightFixture(DummyMonitors::right.left() + 100, 150, 300, 100);

bool moveTo(const QPoint &p) {
    return xdotool({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
}

QRgb fixtureColor(const QRect &fixture, const QPoint &global) {
    const QPoint local = global - fixture.topLeft();
    return PatternWindow::colorAt(local.x(), local.y());
}

QRgb toRgb(const PickedColor &color) {
    return qRgb(int(std::lround(color.srgb.r * 255)), int(std::lround(color.srgb.g * 255)),
                int(std::lround(color.srgb.b * 255)));
}

} // namespace

class tst_X11LoupeControllerTwoDisplays : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void displayUnderThePointerOpensFirst();
    void pointerCrossesToTheOtherDisplay();
    void nudgeStopsAtTheDisplayEdge();

private:
    void startPick(const QPoint &pointer);
    LoupeWindow *windowOn(const QRect &display) const;

    std::unique_ptr<PatternWindow> m_left;
    std::unique_ptr<PatternWindow> m_right;
    std::unique_ptr<OtherClient> m_other;
    std::unique_ptr<LoupeController> m_controller;
    QList<PickedColor> m_picks;
    QList<LoupeWindow *> m_opened;
};

void tst_X11LoupeControllerTwoDisplays::initTestCase() {
    QCOMPARE(QGuiApplication::screens().size(), 2);
    m_other = std::make_unique<OtherClient>();
    QVERIFY(m_other->ok());
    m_left = std::make_unique<PatternWindow>(kLeftFixture);
    m_right = std::make_unique<PatternWindow>(kRightFixture);
    m_left->show();
    m_right->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_left.get()));
    QVERIFY(QTest::qWaitForWindowExposed(m_right.get()));
    X11SnapshotCapturer capturer;
    const QPoint probe = kRightFixture.topLeft() + QPoint(250, 60);
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            const auto result = waitForCapture([&](QObject *context, auto done) {
                capturer.captureDisplay(probe, context, done);
            });
            if (!result || !result->ok() || result->snapshots.isEmpty())
                return false;
            const ScreenSnapshot &s = result->snapshots.first();
            return (s.image.pixel(*s.pixelAt(probe)) & 0xffffff) ==
                   (fixtureColor(kRightFixture, probe) & 0xffffff);
        }(),
        10000);
}

void tst_X11LoupeControllerTwoDisplays::init() {
    m_controller = std::make_unique<LoupeController>(std::make_unique<X11SnapshotCapturer>());
    connect(m_controller.get(), &LoupeController::windowOpened, this,
            [this](LoupeWindow *window) { m_opened.append(window); });
    m_controller->warmUp();
    m_picks.clear();
    m_opened.clear();
}

void tst_X11LoupeControllerTwoDisplays::cleanup() {
    // Windows the pool does not keep are deleted once they have gone.
    QList<QPointer<LoupeWindow>> windows;
    for (LoupeWindow *w : m_controller->windows())
        windows.append(w);
    if (m_controller->isShowing())
        m_controller->close();
    for (const QPointer<LoupeWindow> &w : windows)
        QTRY_VERIFY(!w || !w->isVisible());
    m_controller.reset();
}

void tst_X11LoupeControllerTwoDisplays::startPick(const QPoint &pointer) {
    QVERIFY(moveTo(pointer));
    QTRY_COMPARE(m_other->pointer(), pointer);
    m_controller->start([this](const PickedColor &color) { m_picks.append(color); });
    QTRY_COMPARE(m_controller->windows().size(), 2);
    for (LoupeWindow *window : m_controller->windows())
        QVERIFY(QTest::qWaitForWindowExposed(window));
    auto *support = dynamic_cast<X11LoupeSupport *>(&m_controller->support());
    QVERIFY(support);
    QTRY_VERIFY(support->holdsKeyboard() && support->holdsPointer());
}

LoupeWindow *tst_X11LoupeControllerTwoDisplays::windowOn(const QRect &display) const {
    for (LoupeWindow *window : m_controller->windows()) {
        if (window->frame() == QRectF(display))
            return window;
    }
    return nullptr;
}

void tst_X11LoupeControllerTwoDisplays::displayUnderThePointerOpensFirst() {
    startPick(QPoint(1300, 300));
    QCOMPARE(m_opened.size(), 2);
    QCOMPARE(m_opened.at(0)->frame(), QRectF(DummyMonitors::right));
    QCOMPARE(m_opened.at(1)->frame(), QRectF(DummyMonitors::left));
    QVERIFY(m_opened.at(0)->view()->isLoupeVisible());
    QVERIFY(!m_opened.at(1)->view()->isLoupeVisible());
    // The key window keeps the focus when the second opens.
    QTRY_COMPARE(m_other->focus(), xcb_window_t(m_opened.at(0)->winId()));
}

void tst_X11LoupeControllerTwoDisplays::pointerCrossesToTheOtherDisplay() {
    startPick(QPoint(1300, 300));
    LoupeWindow *left = windowOn(DummyMonitors::left);
    LoupeWindow *right = windowOn(DummyMonitors::right);
    QVERIFY(left && right);

    const QPoint onLeft = kLeftFixture.topLeft() + QPoint(123, 45);
    QVERIFY(moveTo(onLeft));
    QTRY_COMPARE(m_controller->point(), QPointF(onLeft));
    QVERIFY(left->view()->isLoupeVisible());
    QVERIFY(!right->view()->isLoupeVisible());
    // The focus moved between the pick's own windows: the pick goes on.
    QTRY_COMPARE(m_other->focus(), xcb_window_t(left->winId()));
    QVERIFY(m_controller->isShowing());

    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("Left")}));
    QTRY_COMPARE(m_controller->point(), QPointF(onLeft - QPoint(1, 0)));
    QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    QTRY_COMPARE(m_picks.size(), 1);
    QCOMPARE(toRgb(m_picks.first()), fixtureColor(kLeftFixture, onLeft - QPoint(1, 0)));

    // And back: a pick on the right display reads the right snapshot.
    QTRY_VERIFY_WITH_TIMEOUT(!m_controller->isShowing(), 5000);
    const QPoint onRight = kRightFixture.topLeft() + QPoint(250, 60);
    startPick(QPoint(100, 100));
    QVERIFY(moveTo(onRight));
    QTRY_COMPARE(m_controller->point(), QPointF(onRight));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("space")}));
    QTRY_COMPARE(m_picks.size(), 2);
    QCOMPARE(toRgb(m_picks.last()), fixtureColor(kRightFixture, onRight));
}

void tst_X11LoupeControllerTwoDisplays::nudgeStopsAtTheDisplayEdge() {
    const QPoint edge(DummyMonitors::left.right(), 300);
    startPick(edge);
    QCOMPARE(m_controller->point(), QPointF(edge));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("Right")}));
    QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("Left")}));
    // The first key is clamped at the left display's last pixel, the second moves one left.
    QTRY_COMPARE(m_controller->point(), QPointF(edge - QPoint(1, 0)));
    QTRY_COMPARE(m_other->pointer(), edge - QPoint(1, 0));
}

CHROMET_DUMMY_MONITORS_TEST_MAIN(tst_X11LoupeControllerTwoDisplays)

#include "tst_X11LoupeControllerTwoDisplays.moc"
