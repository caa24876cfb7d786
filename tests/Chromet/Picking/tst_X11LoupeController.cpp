#include "CaptureTestSupport.h"
#include "LoupeX11TestSupport.h"

#include "Chromet/Picking/GlassView.h"
#include "Chromet/Picking/LoupeController.h"
#include "Chromet/Picking/LoupeView.h"
#include "Chromet/Picking/LoupeWindow.h"
#include "Chromet/Picking/Motion.h"
#include "Chromet/Picking/X11/X11LoupeSupport.h"
#include "Chromet/Picking/X11/X11SnapshotCapturer.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QPaintEvent>
#include <QTimer>

namespace {

const QRect kFixture(100, 100, 512, 256);

QString number(qint64 value) {
    return QString::number(value);
}

bool moveTo(const QPoint &p) {
    return xdotool({QStringLiteral("mousemove"), number(p.x()), number(p.y())});
}

bool keys(const QStringList &names) {
    return xdotool(QStringList{QStringLiteral("key")} + names);
}

// The fixture's color at a global point.
QRgb fixtureColor(const QPoint &global) {
    const QPoint local = global - kFixture.topLeft();
    return PatternWindow::colorAt(local.x(), local.y());
}

QRgb toRgb(const PickedColor &color) {
    return qRgb(int(std::lround(color.srgb.r * 255)), int(std::lround(color.srgb.g * 255)),
                int(std::lround(color.srgb.b * 255)));
}

// Whether the screen shows the whole fixture: after a pick the server leaves the loupe's last
// picture there until the fixture has repainted.
bool fixtureIsOnScreen() {
    X11SnapshotCapturer capturer;
    const auto result = waitForCapture(
        [&](QObject *context, auto done) { capturer.captureAllDisplays(context, done); });
    if (!result || !result->ok() || result->snapshots.isEmpty())
        return false;
    const ScreenSnapshot &s = result->snapshots.first();
    for (int y = kFixture.top(); y <= kFixture.bottom(); ++y) {
        for (int x = kFixture.left(); x <= kFixture.right(); ++x) {
            const QPoint p(x, y);
            if ((s.image.pixel(*s.pixelAt(p)) & 0xffffff) != (fixtureColor(p) & 0xffffff))
                return false;
        }
    }
    return true;
}

} // namespace

class tst_X11LoupeController : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void clickPicksThePixelUnderThePointer();
    void arrowKeysNudgeAndWarpThePointer();
    void escapeCancels();
    void rightClickCancels();
    void grabsAreHeldOnlyWhilePicking();
    void cursorIsBlankOverTheLoupe();
    void focusReturnsToThePreviousWindow();
    void pointerRootFocusIsRestored();
    void anotherWindowTakingTheFocusCloses();
    void unmappedLoupeWindowCloses();
    void grabHeldByAnotherClientIsRetried();
    void grabHeldTooLongIsGivenUp();
    void windowManagerIsAskedToActivate();
    void keptWindowIsRaisedAboveNewerWindows();
    void screenIsPaintedOnceAPick();
    void restartWhileTheClosedPickFades_data();
    void restartWhileTheClosedPickFades();
    void memoryGivenBackWhileIdleReturnsForTheNextPick();

private:
    void startPick(const QPoint &pointer, bool waitForGrab = true);
    bool staysShowing(int ms);
    LoupeWindow *window() const { return m_controller->windows().value(0); }
    X11LoupeSupport *support() const {
        return dynamic_cast<X11LoupeSupport *>(&m_controller->support());
    }

    std::unique_ptr<PatternWindow> m_fixture;
    std::unique_ptr<OtherClient> m_other;
    std::unique_ptr<LoupeController> m_controller;
    QList<PickedColor> m_picks;
};

void tst_X11LoupeController::initTestCase() {
    QVERIFY(X11SnapshotCapturer::isAvailable());
    m_other = std::make_unique<OtherClient>();
    QVERIFY(m_other->ok());
    m_fixture = std::make_unique<PatternWindow>(kFixture);
    m_fixture->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_fixture.get()));
    // Painting reaches the server a little after exposure.
    QTRY_VERIFY_WITH_TIMEOUT(fixtureIsOnScreen(), 10000);
}

void tst_X11LoupeController::init() {
    QTRY_VERIFY_WITH_TIMEOUT(fixtureIsOnScreen(), 10000);
    m_other->setFocus(xcb_window_t(m_fixture->winId()));
    m_controller = std::make_unique<LoupeController>(std::make_unique<X11SnapshotCapturer>());
    QVERIFY(support());
    m_controller->warmUp();
    m_picks.clear();
}

void tst_X11LoupeController::cleanup() {
    const QList<LoupeWindow *> windows = m_controller->windows();
    if (m_controller->isShowing())
        m_controller->close();
    for (LoupeWindow *w : windows)
        QTRY_VERIFY(!w->isVisible());
    m_controller.reset();
}

void tst_X11LoupeController::startPick(const QPoint &pointer, bool waitForGrab) {
    QVERIFY(moveTo(pointer));
    QTRY_COMPARE(QCursor::pos(), pointer);
    m_controller->start([this](const PickedColor &color) { m_picks.append(color); });
    QTRY_VERIFY(window() != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(window()));
    QCOMPARE(window()->frame(), QRectF(QGuiApplication::primaryScreen()->geometry()));
    if (waitForGrab)
        QTRY_VERIFY(support()->holdsKeyboard() && support()->holdsPointer());
}

void tst_X11LoupeController::clickPicksThePixelUnderThePointer() {
    startPick(QPoint(300, 200));
    QCOMPARE(m_controller->point(), QPointF(300, 200));
    const QPoint target(333, 222);
    QVERIFY(moveTo(target));
    QTRY_COMPARE(m_controller->point(), QPointF(target));
    QVERIFY(window()->view()->isLoupeVisible());

    QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    QTRY_COMPARE(m_picks.size(), 1);
    QCOMPARE(toRgb(m_picks.first()), fixtureColor(target));
    QVERIFY(m_controller->isConfirming());
    QTRY_VERIFY_WITH_TIMEOUT(!m_controller->isShowing(), 5000);
    QCOMPARE(m_picks.size(), 1);
}

void tst_X11LoupeController::arrowKeysNudgeAndWarpThePointer() {
    const QPoint start(300, 200);
    startPick(start);
    QVERIFY(keys({QStringLiteral("Right"), QStringLiteral("Right"), QStringLiteral("Right"),
                  QStringLiteral("shift+Left")}));
    const QPoint expected = start - QPoint(7, 0);
    QTRY_COMPARE(m_controller->point(), QPointF(expected));
    QTRY_COMPARE(m_other->pointer(), expected);
    QVERIFY(keys({QStringLiteral("Return")}));
    QTRY_COMPARE(m_picks.size(), 1);
    QCOMPARE(toRgb(m_picks.first()), fixtureColor(expected));
}

void tst_X11LoupeController::escapeCancels() {
    startPick(QPoint(300, 200));
    QVERIFY(keys({QStringLiteral("Escape")}));
    QTRY_VERIFY(!m_controller->isShowing());
    QVERIFY(m_picks.isEmpty());
}

void tst_X11LoupeController::rightClickCancels() {
    startPick(QPoint(300, 200));
    QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("3")}));
    QTRY_VERIFY(!m_controller->isShowing());
    QVERIFY(m_picks.isEmpty());
}

void tst_X11LoupeController::grabsAreHeldOnlyWhilePicking() {
    QVERIFY(m_other->canGrabKeyboard());
    startPick(QPoint(300, 200));
    QVERIFY(!m_other->canGrabKeyboard());
    QVERIFY(!m_other->canGrabPointer());
    QVERIFY(keys({QStringLiteral("Escape")}));
    QTRY_VERIFY(!m_controller->isShowing());
    // Released at the close, while the windows are still fading.
    QVERIFY(window() == nullptr);
    QTRY_VERIFY(m_other->canGrabKeyboard());
    QTRY_VERIFY(m_other->canGrabPointer());
}

void tst_X11LoupeController::cursorIsBlankOverTheLoupe() {
    QVERIFY(moveTo(QPoint(300, 200)));
    QTRY_COMPARE(m_other->cursorIsBlank(), std::optional<bool>(false));
    startPick(QPoint(300, 200));
    QTRY_COMPARE(m_other->cursorIsBlank(), std::optional<bool>(true));
    QVERIFY(m_controller->isCursorHidden());
    QVERIFY(keys({QStringLiteral("Escape")}));
    QTRY_VERIFY(!m_controller->isShowing());
    QTRY_COMPARE(m_other->cursorIsBlank(), std::optional<bool>(false));
}

void tst_X11LoupeController::focusReturnsToThePreviousWindow() {
    const auto fixture = xcb_window_t(m_fixture->winId());
    QCOMPARE(m_other->focus(), fixture);
    startPick(QPoint(300, 200));
    QCOMPARE(m_controller->previousApp(), LoupeSupport::FocusWindow(fixture));
    QTRY_COMPARE(m_other->focus(), xcb_window_t(window()->winId()));
    QVERIFY(keys({QStringLiteral("Escape")}));
    QTRY_VERIFY(!m_controller->isShowing());
    QTRY_COMPARE(m_other->focus(), fixture);
}

void tst_X11LoupeController::pointerRootFocusIsRestored() {
    m_other->setFocus(XCB_INPUT_FOCUS_POINTER_ROOT);
    startPick(QPoint(300, 200));
    QCOMPARE(m_controller->previousApp(), LoupeSupport::FocusWindow(XCB_INPUT_FOCUS_POINTER_ROOT));
    QVERIFY(keys({QStringLiteral("Escape")}));
    QTRY_VERIFY(!m_controller->isShowing());
    QTRY_COMPARE(m_other->focus(), xcb_window_t(XCB_INPUT_FOCUS_POINTER_ROOT));
}

void tst_X11LoupeController::anotherWindowTakingTheFocusCloses() {
    startPick(QPoint(300, 200));
    QTRY_COMPARE(m_other->focus(), xcb_window_t(window()->winId()));
    // Like a click into another application, or a window that demands attention.
    QVERIFY(xdotool({QStringLiteral("windowfocus"), number(qint64(m_fixture->winId()))}));
    QTRY_VERIFY(!m_controller->isShowing());
    QVERIFY(m_picks.isEmpty());
    QCOMPARE(m_other->focus(), xcb_window_t(m_fixture->winId()));
    QTRY_VERIFY(m_other->canGrabKeyboard());
}

void tst_X11LoupeController::unmappedLoupeWindowCloses() {
    startPick(QPoint(300, 200));
    LoupeWindow *loupe = window();
    // Another client unmaps the window that holds the grabs.
    QVERIFY(xdotool({QStringLiteral("windowunmap"), number(qint64(loupe->winId()))}));
    QTRY_VERIFY(!m_controller->isShowing());
    QTRY_VERIFY(m_other->canGrabKeyboard());

    // The window comes back for the next pick.
    QTRY_VERIFY(!loupe->isVisible());
    startPick(QPoint(300, 200));
    QVERIFY(keys({QStringLiteral("Escape")}));
    QTRY_VERIFY(!m_controller->isShowing());
}

void tst_X11LoupeController::grabHeldByAnotherClientIsRetried() {
    QVERIFY(m_other->grabKeyboard());
    startPick(QPoint(300, 200), false);
    QVERIFY(!support()->holdsKeyboard());
    QTimer::singleShot(100, this, [this] { m_other->ungrabKeyboard(); });
    QTRY_VERIFY(support()->holdsKeyboard());
    QVERIFY(keys({QStringLiteral("Escape")}));
    QTRY_VERIFY(!m_controller->isShowing());
}

void tst_X11LoupeController::grabHeldTooLongIsGivenUp() {
    QVERIFY(m_other->grabKeyboard());
    QTest::ignoreMessage(QtWarningMsg, "cannot grab the keyboard: another client holds it");
    startPick(QPoint(300, 200), false);
    QTRY_VERIFY(support()->holdsPointer());
    // The retries end with the warning; the pointer still works.
    QTRY_VERIFY(!support()->isRetryingGrab());
    QVERIFY(!support()->holdsKeyboard());
    QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("3")}));
    QTRY_VERIFY(!m_controller->isShowing());
    m_other->ungrabKeyboard();
}

void tst_X11LoupeController::windowManagerIsAskedToActivate() {
    OtherClient manager;
    QVERIFY(manager.actAsWindowManager(xcb_window_t(m_fixture->winId())));
    m_other->setFocus(XCB_INPUT_FOCUS_POINTER_ROOT);
    startPick(QPoint(300, 200));
    // The manager's active window counts, not the input focus.
    QCOMPARE(m_controller->previousApp(), LoupeSupport::FocusWindow(m_fixture->winId()));
    QVERIFY(keys({QStringLiteral("Escape")}));
    QTRY_VERIFY(!m_controller->isShowing());
    std::optional<OtherClient::Activation> activation;
    QTRY_VERIFY([&] {
        if (!activation)
            activation = manager.takeActivation();
        return activation.has_value();
    }());
    QCOMPARE(activation->window, xcb_window_t(m_fixture->winId()));
    QCOMPARE(activation->source, 2u);
}

void tst_X11LoupeController::keptWindowIsRaisedAboveNewerWindows() {
    startPick(QPoint(300, 200));
    LoupeWindow *first = window();
    QVERIFY(keys({QStringLiteral("Escape")}));
    QTRY_VERIFY(!first->isVisible());

    // A window mapped after the first pick lies above the kept loupe window.
    PatternWindow newer(QRect(700, 500, 200, 100));
    newer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&newer));
    startPick(QPoint(300, 200));
    QCOMPARE(window(), first);
    const QList<xcb_window_t> order = m_other->stackingOrder();
    QVERIFY(order.indexOf(xcb_window_t(first->winId())) >
            order.indexOf(xcb_window_t(newer.winId())));
}

namespace {

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

void tst_X11LoupeController::screenIsPaintedOnceAPick() {
    FullPaintCounter counter;
    connect(m_controller.get(), &LoupeController::windowOpened, this,
            [&](LoupeWindow *opened) { opened->view()->installEventFilter(&counter); });
    startPick(QPoint(300, 200));
    LoupeView *view = window()->view();
    QTRY_COMPARE(counter.count, 1);
    // Pop-in, pointer moves and a key: only the loupe's surroundings are painted again.
    QVERIFY(moveTo(QPoint(340, 220)));
    QTRY_COMPARE(m_controller->point(), QPointF(340, 220));
    QVERIFY(keys({QStringLiteral("Left")}));
    QTRY_COMPARE(m_controller->point(), QPointF(339, 220));
    QTRY_VERIFY(!Motion::isAnimating(view->ringGlass()) && !Motion::isAnimating(view->pillGlass()));
    QCOMPARE(counter.count, 1);
}

// Whether the pick shows on screen, holding the input, for all of `ms`.
bool tst_X11LoupeController::staysShowing(int ms) {
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

void tst_X11LoupeController::restartWhileTheClosedPickFades_data() {
    QTest::addColumn<QString>("closing");
    QTest::newRow("Escape") << QStringLiteral("Escape");
    QTest::newRow("right click") << QStringLiteral("right click");
    QTest::newRow("shortcut toggle") << QStringLiteral("toggle");
}

void tst_X11LoupeController::restartWhileTheClosedPickFades() {
    QFETCH(QString, closing);
    startPick(QPoint(300, 200));
    QPointer<LoupeWindow> closed = window();
    if (closing == QLatin1String("Escape"))
        QVERIFY(keys({QStringLiteral("Escape")}));
    else if (closing == QLatin1String("right click"))
        QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("3")}));
    else
        m_controller->start([](const PickedColor &) {});
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
    QVERIFY(xdotool({QStringLiteral("click"), QStringLiteral("1")}));
    QTRY_COMPARE(m_picks.size(), 1);
    QCOMPARE(toRgb(m_picks.first()), fixtureColor(target));
}

void tst_X11LoupeController::memoryGivenBackWhileIdleReturnsForTheNextPick() {
    auto *capturer = dynamic_cast<X11SnapshotCapturer *>(&m_controller->capturer());
    QVERIFY(capturer && capturer->usesSharedMemory());
    startPick(QPoint(300, 200));
    LoupeWindow *pooled = window();
    QVERIFY(keys({QStringLiteral("Escape")}));
    QTRY_VERIFY(!pooled->isVisible());
    QTRY_VERIFY(capturer->spareSegmentCount() > 0);

    m_controller->releaseIdleMemory();
    QCOMPARE(capturer->spareSegmentCount(), 0);
    QVERIFY(!pooled->holdsBackingStore());

    // The next pick sets both up again, and shows and picks true colors.
    const QPoint target(333, 222);
    startPick(target);
    QCOMPARE(window(), pooled);
    QTRY_VERIFY(window()->holdsBackingStore());
    QVERIFY(keys({QStringLiteral("Return")}));
    QTRY_COMPARE(m_picks.size(), 1);
    QCOMPARE(toRgb(m_picks.first()), fixtureColor(target));
    QTRY_VERIFY_WITH_TIMEOUT(!pooled->isVisible(), 5000);
    QTRY_VERIFY(capturer->spareSegmentCount() > 0);
}

CHROMET_X11_TEST_MAIN(tst_X11LoupeController)
#include "tst_X11LoupeController.moc"
