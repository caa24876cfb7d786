#include "Chromet/Picking/GlassView.h"
#include "Chromet/Picking/LoupeView.h"
#include "Chromet/Picking/Motion.h"
#include "Support/LoupeX11Fixture.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPaintEvent>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QRect kFixture(100, 100, 512, 256);

// The fixture's color at a global point.
QRgb fixtureColor(const QPoint &global) {
    const QPoint local = global - kFixture.topLeft();
    return colorFixturePixel(local.x(), local.y());
}

// Whether the screen shows the whole fixture: after a pick the server leaves the loupe's last
// picture there until the fixture has repainted.
bool fixtureIsOnScreen() {
    X11SnapshotCapturer capturer;
    const auto result = waitForCapture(
        [&](QObject *context, auto done) { capturer.captureAllDisplays(context, done); });
    return result && result->ok() && showsPattern(result->snapshots.value(0), kFixture);
}

// Counts the paints of a view that cover all of it.
class FullPaintCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject *watched, QEvent *event) override {
        auto *view = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::Paint &&
            QRegion(view->rect()).subtracted(static_cast<QPaintEvent *>(event)->region()).isEmpty())
            ++count;
        return false;
    }
};

} // namespace

class tst_X11LoupeController : public LoupeX11Fixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(X11SnapshotCapturer::isAvailable());
        connectOtherClient();
        m_fixture = std::make_unique<PatternWindow>(kFixture);
        m_fixture->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_fixture.get()));
        // Painting reaches the server a little after exposure.
        QTRY_VERIFY_WITH_TIMEOUT(fixtureIsOnScreen(), 10000);
    }
    void init() {
        QTRY_VERIFY_WITH_TIMEOUT(fixtureIsOnScreen(), 10000);
        m_other->setFocus(xcb_window_t(m_fixture->winId()));
        makeController();
    }
    void cleanup() { closeController(); }

    // The pick holds the keyboard, the pointer and the focus and blanks the cursor; a cancel
    // gives them back, the focus to whichever window had it.
    void pickTakesInputAndGivesItBack_data() {
        QTest::addColumn<bool>("pointerRoot");
        QTest::newRow("a window had the focus") << false;
        QTest::newRow("pointer root") << true;
    }
    void pickTakesInputAndGivesItBack() {
        QFETCH(bool, pointerRoot);
        const auto previous = pointerRoot ? xcb_window_t(XCB_INPUT_FOCUS_POINTER_ROOT)
                                          : xcb_window_t(m_fixture->winId());
        m_other->setFocus(previous);
        QVERIFY(moveTo(QPoint(300, 200)));
        QTRY_COMPARE(m_other->cursorIsBlank(), std::optional<bool>(false));
        QVERIFY(m_other->canGrabKeyboard());
        startPick(QPoint(300, 200));
        QCOMPARE(m_controller->previousApp(), LoupeSupport::FocusWindow(previous));
        QVERIFY(!m_other->canGrabKeyboard());
        QVERIFY(!m_other->canGrabPointer());
        QTRY_COMPARE(m_other->focus(), xcb_window_t(window()->winId()));
        QTRY_COMPARE(m_other->cursorIsBlank(), std::optional<bool>(true));

        const QPointer<LoupeWindow> closed = window();
        QVERIFY(keys({u"Escape"_s}));
        QTRY_VERIFY(!m_controller->isShowing());
        // Given back at the close, while the window still fades.
        QVERIFY(closed && closed->isVisible());
        QVERIFY(m_other->canGrabKeyboard());
        QVERIFY(m_other->canGrabPointer());
        QTRY_COMPARE(m_other->cursorIsBlank(), std::optional<bool>(false));
        QTRY_COMPARE(m_other->focus(), previous);
    }
    // Another window taking the focus (a click into another application, or a window that
    // demands attention), or another client unmapping the window that holds the grabs.
    void lostInputCloses_data() {
        QTest::addColumn<bool>("unmap");
        QTest::newRow("focus taken") << false;
        QTest::newRow("loupe unmapped") << true;
    }
    void lostInputCloses() {
        QFETCH(bool, unmap);
        startPick(QPoint(300, 200));
        LoupeWindow *loupe = window();
        QTRY_COMPARE(m_other->focus(), xcb_window_t(loupe->winId()));
        const QWidget *target = unmap ? static_cast<QWidget *>(loupe) : m_fixture.get();
        QVERIFY(xdotool({unmap ? u"windowunmap"_s : u"windowfocus"_s,
                         QString::number(qint64(target->winId()))}));
        QTRY_VERIFY(!m_controller->isShowing());
        QVERIFY(m_picks.isEmpty());
        QTRY_VERIFY(m_other->canGrabKeyboard());
        if (!unmap)
            QCOMPARE(m_other->focus(), xcb_window_t(m_fixture->winId()));

        // The window comes back for the next pick.
        QTRY_VERIFY(!loupe->isVisible());
        startPick(QPoint(300, 200));
        QVERIFY(keys({u"Escape"_s}));
        QTRY_VERIFY(!m_controller->isShowing());
    }
    void grabHeldByAnotherClientIsRetriedThenGivenUp() {
        QVERIFY(m_other->grabKeyboard());
        startPick(QPoint(300, 200), false);
        QVERIFY(!support()->holdsKeyboard());
        QTimer::singleShot(100, this, [this] { m_other->ungrabKeyboard(); });
        QTRY_VERIFY(support()->holdsKeyboard());
        QVERIFY(keys({u"Escape"_s}));
        QTRY_VERIFY(!m_controller->isShowing());

        // Held for good: the retries end with the warning; the pointer still works.
        QTRY_VERIFY(m_other->grabKeyboard());
        QTest::ignoreMessage(QtWarningMsg, "cannot grab the keyboard: another client holds it");
        startPick(QPoint(300, 200), false);
        QTRY_VERIFY(support()->holdsPointer());
        QTRY_VERIFY(!support()->isRetryingGrab());
        QVERIFY(!support()->holdsKeyboard());
        QVERIFY(xdotool({u"click"_s, u"3"_s}));
        QTRY_VERIFY(!m_controller->isShowing());
        m_other->ungrabKeyboard();
    }
    void windowManagerIsAskedToActivate() {
        OtherClient manager;
        QVERIFY(manager.actAsWindowManager(xcb_window_t(m_fixture->winId())));
        m_other->setFocus(XCB_INPUT_FOCUS_POINTER_ROOT);
        startPick(QPoint(300, 200));
        // The manager's active window counts, not the input focus.
        QCOMPARE(m_controller->previousApp(), LoupeSupport::FocusWindow(m_fixture->winId()));
        QVERIFY(keys({u"Escape"_s}));
        QTRY_VERIFY(!m_controller->isShowing());
        std::optional<OtherClient::Activation> activation;
        QTRY_VERIFY(activation || (activation = manager.takeActivation()));
        QCOMPARE(activation->window, xcb_window_t(m_fixture->winId()));
        QCOMPARE(activation->source, 2u);
    }
    void screenIsPaintedOnceAPick() {
        FullPaintCounter counter;
        connect(m_controller.get(), &LoupeController::windowOpened, this,
                [&](LoupeWindow *opened) { opened->view()->installEventFilter(&counter); });
        startPick(QPoint(300, 200));
        LoupeView *view = window()->view();
        QTRY_COMPARE(counter.count, 1);
        // Pop-in, pointer moves and a key: only the loupe's surroundings are painted again.
        QVERIFY(moveTo(QPoint(340, 220)));
        QTRY_COMPARE(m_controller->point(), QPointF(340, 220));
        QVERIFY(keys({u"Left"_s}));
        QTRY_COMPARE(m_controller->point(), QPointF(339, 220));
        QTRY_VERIFY(!Motion::isAnimating(view->ringGlass()) &&
                    !Motion::isAnimating(view->pillGlass()));
        QCOMPARE(counter.count, 1);
    }
    void restartWhileTheClosedPickFades_data() {
        QTest::addColumn<bool>("toggle");
        QTest::newRow("Escape") << false;
        QTest::newRow("shortcut toggle") << true;
    }
    void restartWhileTheClosedPickFades() {
        QFETCH(bool, toggle);
        startPick(QPoint(300, 200));
        QPointer<LoupeWindow> closed = window();
        if (toggle)
            m_controller->start([](const PickedColor &) {});
        else
            QVERIFY(keys({u"Escape"_s}));
        QTRY_VERIFY(!m_controller->isShowing());
        QVERIFY(closed && closed->isVisible());

        // At once, while the closed pick's window still fades.
        m_controller->start([this](const PickedColor &color) { m_picks.append(color); });
        QTRY_VERIFY(window() != nullptr);
        QVERIFY(closed && closed->isVisible());
        QTRY_VERIFY(support()->holdsKeyboard() && support()->holdsPointer());
        // Past the closed pick's fade and whatever its release and focus hand-back send.
        QVERIFY(staysShowing(500));
        QVERIFY(!closed || !closed->isVisible() || closed == window());
        QTRY_COMPARE(m_other->focus(), xcb_window_t(window()->winId()));

        const QPoint target(333, 222);
        QVERIFY(moveTo(target));
        QTRY_COMPARE(m_controller->point(), QPointF(target));
        QVERIFY(xdotool({u"click"_s, u"1"_s}));
        QTRY_COMPARE(m_picks.size(), 1);
        QCOMPARE(toRgb(m_picks.first()), fixtureColor(target));
    }
    void memoryGivenBackWhileIdleReturnsForTheNextPick() {
        auto *capturer = dynamic_cast<X11SnapshotCapturer *>(&m_controller->capturer());
        QVERIFY(capturer && capturer->usesSharedMemory());
        startPick(QPoint(300, 200));
        LoupeWindow *pooled = window();
        QVERIFY(keys({u"Escape"_s}));
        QTRY_VERIFY(!pooled->isVisible());
        QTRY_VERIFY(capturer->spareSegmentCount() > 0);

        m_controller->releaseIdleMemory();
        // One small segment is made anew for the next pick's first read.
        QTRY_COMPARE(capturer->spareSegmentCount(), 1);
        QVERIFY(!pooled->holdsBackingStore());

        // The next pick sets both up again, raises the kept window above one mapped meanwhile, and
        // shows and picks true colors; the arrow keys nudge the pick and warp the pointer.
        PatternWindow newer(QRect(700, 500, 200, 100));
        newer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&newer));
        startPick(QPoint(333, 222));
        QCOMPARE(window(), pooled);
        const QList<xcb_window_t> order = m_other->stackingOrder();
        QVERIFY(order.indexOf(xcb_window_t(pooled->winId())) >
                order.indexOf(xcb_window_t(newer.winId())));
        QTRY_VERIFY(window()->holdsBackingStore());
        QVERIFY(keys({u"Right"_s, u"Right"_s, u"Right"_s, u"shift+Left"_s}));
        const QPoint target(326, 222);
        QTRY_COMPARE(m_controller->point(), QPointF(target));
        QTRY_COMPARE(m_other->pointer(), target);
        QVERIFY(keys({u"Return"_s}));
        QTRY_COMPARE(m_picks.size(), 1);
        QCOMPARE(toRgb(m_picks.first()), fixtureColor(target));
        QTRY_VERIFY_WITH_TIMEOUT(!pooled->isVisible(), 5000);
        QTRY_VERIFY(capturer->spareSegmentCount() > 0);
    }

private:
    // Whether the pick shows on screen, holding the input, for all of `ms`.
    bool staysShowing(int ms) {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            LoupeWindow *shown = window();
            if (!m_controller->isShowing() || !shown || !shown->isVisible() ||
                !shown->windowHandle()->isExposed() || !support()->holdsKeyboard())
                return false;
            QTest::qWait(10);
        }
        return true;
    }
    LoupeWindow *window() const { return m_controller->windows().value(0); }

    std::unique_ptr<PatternWindow> m_fixture;
};

CHROMET_X11_TEST_MAIN(tst_X11LoupeController)
#include "tst_X11LoupeController.moc"
