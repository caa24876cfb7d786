// The loupe over two monitors side by side (Xorg's dummy driver): the display under the pointer
// first, the other once that one is up; the pointer crossing over; keys and clicks on either.

#include "Chromet/Picking/LoupeView.h"
#include "Support/CaptureTestSupport.h"
#include "Support/DummyMonitors.h"
#include "Support/LoupeX11Fixture.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

const QRect kLeftFixture(200, 200, 300, 100);
const QRect kRightFixture(DummyMonitors::right.left() + 100, 150, 300, 100);

QRgb fixtureColor(const QRect &fixture, const QPoint &global) {
    const QPoint local = global - fixture.topLeft();
    return PatternWindow::colorAt(local.x(), local.y());
}

} // namespace

class tst_X11LoupeControllerTwoDisplays : public LoupeX11Fixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QCOMPARE(QGuiApplication::screens().size(), 2);
        connectOtherClient();
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
    void init() {
        makeController();
        connect(m_controller.get(), &LoupeController::windowOpened, this,
                [this](LoupeWindow *window) { m_opened.append(window); });
        m_opened.clear();
    }
    void cleanup() { closeController(); }
    void pointerCrossesToTheOtherDisplay() {
        startPick(QPoint(1300, 300), 2);
        LoupeWindow *left = windowOn(DummyMonitors::left);
        LoupeWindow *right = windowOn(DummyMonitors::right);
        QVERIFY(left && right);
        // The display under the pointer opened first and keeps the focus when the other opens.
        QCOMPARE(m_opened.first(), right);
        QTRY_COMPARE(m_other->focus(), xcb_window_t(right->winId()));

        const QPoint onLeft = kLeftFixture.topLeft() + QPoint(123, 45);
        QVERIFY(moveTo(onLeft));
        QTRY_COMPARE(m_controller->point(), QPointF(onLeft));
        QVERIFY(left->view()->isLoupeVisible());
        QVERIFY(!right->view()->isLoupeVisible());
        // The focus moved between the pick's own windows: the pick goes on.
        QTRY_COMPARE(m_other->focus(), xcb_window_t(left->winId()));
        QVERIFY(m_controller->isShowing());

        QVERIFY(keys({u"Left"_s}));
        QTRY_COMPARE(m_controller->point(), QPointF(onLeft - QPoint(1, 0)));
        QVERIFY(xdotool({u"click"_s, u"1"_s}));
        QTRY_COMPARE(m_picks.size(), 1);
        QCOMPARE(toRgb(m_picks.first()), fixtureColor(kLeftFixture, onLeft - QPoint(1, 0)));

        // And back: a pick on the right display reads the right snapshot.
        QTRY_VERIFY_WITH_TIMEOUT(!m_controller->isShowing(), 5000);
        const QPoint onRight = kRightFixture.topLeft() + QPoint(250, 60);
        startPick(QPoint(100, 100), 2);
        QVERIFY(moveTo(onRight));
        QTRY_COMPARE(m_controller->point(), QPointF(onRight));
        QVERIFY(keys({u"space"_s}));
        QTRY_COMPARE(m_picks.size(), 2);
        QCOMPARE(toRgb(m_picks.last()), fixtureColor(kRightFixture, onRight));
    }
    void nudgeStopsAtTheDisplayEdge() {
        const QPoint edge(DummyMonitors::left.right(), 300);
        startPick(edge, 2);
        QCOMPARE(m_controller->point(), QPointF(edge));
        QVERIFY(keys({u"Right"_s}));
        QVERIFY(keys({u"Left"_s}));
        // The first key is clamped at the left display's last pixel, the second moves one left.
        QTRY_COMPARE(m_controller->point(), QPointF(edge - QPoint(1, 0)));
        QTRY_COMPARE(m_other->pointer(), edge - QPoint(1, 0));
    }

private:
    LoupeWindow *windowOn(const QRect &display) const {
        for (LoupeWindow *window : m_controller->windows()) {
            if (window->frame() == QRectF(display))
                return window;
        }
        return nullptr;
    }

    std::unique_ptr<PatternWindow> m_left;
    std::unique_ptr<PatternWindow> m_right;
    QList<LoupeWindow *> m_opened;
};

CHROMET_DUMMY_MONITORS_TEST_MAIN(tst_X11LoupeControllerTwoDisplays)

#include "tst_X11LoupeControllerTwoDisplays.moc"
