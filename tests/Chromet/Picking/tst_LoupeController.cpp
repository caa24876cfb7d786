#include "Chromet/Picking/LensView.h"
#include "Chromet/Picking/LoupeController.h"
#include "Chromet/Picking/LoupeView.h"
#include "Chromet/Picking/LoupeWindow.h"
#include "Chromet/Picking/PillView.h"
#include "Support/ColorFixture.h"
#include "Support/FakeLoupeSupport.h"
#include "Support/SyntheticSnapshotCapturer.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Display A: (0, 0) 800 x 600 points at 1x. Display B: (800, 0) 400 x 300 points at 2x. Every
// pixel has its own color.
ScreenSnapshot display(quint32 id, QRectF frame, double scale, int blue) {
    ScreenSnapshot s;
    s.displayID = id;
    s.screenName = u"display-%1"_s.arg(id);
    s.frame = frame;
    s.image = colorFixtureImage((frame.size() * scale).toSize(), blue);
    return s;
}

ScreenSnapshot displayA() {
    return display(1, QRectF(0, 0, 800, 600), 1, 0);
}
ScreenSnapshot displayB() {
    return display(2, QRectF(800, 0, 400, 300), 2, 128);
}

QString hexOf(QRgb rgb) {
    return QColor(rgb).name().toUpper();
}

void key(QWidget *view, Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, k, modifiers);
    QCoreApplication::sendEvent(view, &press);
}

void click(QWidget *view, Qt::MouseButton button) {
    const QPointF local(10, 10);
    QMouseEvent press(QEvent::MouseButtonPress, local, view->mapToGlobal(local), button, button,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(view, &press);
}

void move(QWidget *view) {
    const QPointF local(20, 20);
    QMouseEvent event(QEvent::MouseMove, local, view->mapToGlobal(local), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &event);
}

QtMessageHandler previousHandler = nullptr;

} // namespace

class tst_LoupeController : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        // The offscreen platform has no stacking order to raise windows in, and says so each time.
        previousHandler = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
                if (message == QLatin1String("This plugin does not support raise()"))
                    return;
                previousHandler(type, context, message);
            });
    }
    void init() {
        auto capturer = std::make_unique<SyntheticSnapshotCapturer>(
            QList<ScreenSnapshot>{displayA(), displayB()});
        auto support = std::make_unique<FakeLoupeSupport>();
        m_capturer = capturer.get();
        m_support = support.get();
        m_controller = std::make_unique<LoupeController>(std::move(capturer), std::move(support));
        m_controller->setOnFailure([this](const CaptureResult &) { ++m_failures; });
        m_picks.clear();
        m_failures = 0;
    }
    void cleanup() {
        m_controller.reset();
        m_capturer = nullptr;
        m_support = nullptr;
    }

    void displayUnderPointerIsShownFirstThenTheOthers() {
        QSignalSpy opened(m_controller.get(), &LoupeController::windowOpened);
        QList<int> fullCapturesWhenOpened;
        connect(m_controller.get(), &LoupeController::windowOpened, this,
                [&] { fullCapturesWhenOpened.append(m_capturer->fullCaptureCount()); });
        m_capturer->setHoldResults(true);
        begin(QPointF(900, 100));

        QVERIFY(m_controller->isShowing());
        QCOMPARE(m_capturer->requestedPoints(), QList<QPointF>{QPointF(900, 100)});
        QCOMPARE(m_capturer->fullCaptureCount(), 0);
        QVERIFY(m_controller->windows().isEmpty());

        QCOMPARE(m_capturer->releaseHeld(), 1);
        QTRY_COMPARE(m_controller->windows().size(), 1);
        LoupeWindow *first = m_controller->windows().first();
        QCOMPARE(first->frame(), displayB().frame);
        QVERIFY(first->isVisible());
        QCOMPARE(m_support->inputViews, QList<QWidget *>{first->view()});
        QCOMPARE(m_support->focusedWindows, QList<QWidget *>{first});
        QVERIFY(first->view()->isLoupeVisible());
        // The others are asked for once the first is up.
        QCOMPARE(fullCapturesWhenOpened, QList<int>{0});
        QTRY_COMPARE(m_capturer->fullCaptureCount(), 1);

        QCOMPARE(m_capturer->releaseHeld(), 1);
        QTRY_COMPARE(m_controller->windows().size(), 2);
        QCOMPARE(m_controller->windows().at(1)->frame(), displayA().frame);
        QCOMPARE(opened.size(), 2);
        QCOMPARE(m_capturer->fullCaptureCount(), 1);
        // The pointer is on B: A's view hides its loupe, B stays the key window.
        QVERIFY(!viewAt(1)->isLoupeVisible());
        QCOMPARE(m_support->focusedWindows.size(), 1);
    }
    void firstDisplayKeepsItsFirstSnapshot() {
        m_capturer->setHoldResults(true);
        begin(QPointF(100, 100));
        // The full capture, asked for when the first result arrives, sees other pixels.
        ScreenSnapshot changed = displayA();
        changed.image.fill(Qt::red);
        m_capturer->setDisplays({changed, displayB()});
        m_capturer->releaseHeld();
        QTRY_COMPARE(m_capturer->heldCount(), 1);
        m_capturer->releaseHeld();
        QTRY_COMPARE(m_controller->windows().size(), 2);
        QCOMPARE(viewAt(0)->snapshot().image.pixel(100, 100), displayA().image.pixel(100, 100));
    }
    void partialFirstSnapshotIsCompletedAndPicksBeyondItWait() {
        m_support->partsOfWindows = true;
        m_capturer->setHoldResults(true);
        begin(QPointF(100, 100));
        // The whole display is read while the loupe window covers the area read first.
        ScreenSnapshot covered = displayA();
        covered.image.fill(Qt::red);
        m_capturer->setDisplays({covered, displayB()});
        m_capturer->releaseHeld();
        QTRY_COMPARE(m_controller->windows().size(), 1);
        LoupeWindow *first = m_controller->windows().first();
        QCOMPARE(first->view()->snapshot().capturedPixels(), QRect(0, 0, 300, 300));
        QCOMPARE(first->mask(), QRegion(1, 1, 298, 298));

        m_support->pointer = QPointF(700, 500);
        move(first->view());
        QVERIFY(!first->view()->isLoupeVisible());
        click(first->view(), Qt::LeftButton);
        QVERIFY(m_picks.isEmpty() && m_controller->isShowing());
        QTRY_COMPARE(m_capturer->heldCount(), 1);
        m_capturer->releaseHeld();
        QTRY_COMPARE(m_picks.size(), 1);
        QCOMPARE(LoupeView::defaultLabel(m_picks.first()), u"#FF0000"_s);
        QVERIFY(first->mask().isEmpty());
        QCOMPARE(first->view()->snapshot().image.pixel(100, 100), displayA().image.pixel(100, 100));
        QCOMPARE(first->view()->snapshot().image.pixel(300, 300), qRgb(255, 0, 0));
    }
    void startWhileShowingCloses() {
        startAt(QPointF(10, 10));
        const int session = m_controller->session();
        bool secondHandlerUsed = false;
        m_controller->start([&](const PickedColor &) { secondHandlerUsed = true; });
        QVERIFY(!m_controller->isShowing());
        QCOMPARE(m_controller->session(), session + 1);
        QVERIFY(m_controller->windows().isEmpty());
        QCOMPARE(m_capturer->displayCaptureCount(), 1);

        // The next start opens a pick with its own handler.
        startAt(QPointF(10, 10));
        key(viewAt(0), Qt::Key_Return);
        QCOMPARE(m_picks.size(), 1);
        QVERIFY(!secondHandlerUsed);
    }
    void cancelDuringFirstCaptureDropsTheResult() {
        QSignalSpy opened(m_controller.get(), &LoupeController::windowOpened);
        m_capturer->setHoldResults(true);
        begin(QPointF(10, 10));
        m_controller->close();
        QCOMPARE(m_capturer->releaseHeld(), 1);
        drainCaptures();

        QCOMPARE(opened.size(), 0);
        QVERIFY(m_controller->windows().isEmpty());
        QVERIFY(!m_controller->isShowing());
    }
    void pointOnNoDisplayCloses() {
        begin(QPointF(-50, -50));
        QTRY_VERIFY(!m_controller->isShowing());
        QCOMPARE(m_failures, 0);
        QCOMPARE(m_capturer->fullCaptureCount(), 0);
        QCOMPARE(m_support->restored, QList<LoupeSupport::FocusWindow>{0x5a});
    }
    void captureFailureClosesAndReports_data() {
        QTest::addColumn<bool>("full"); // the other displays' capture fails, not the first
        QTest::newRow("first capture") << false;
        QTest::newRow("full capture") << true;
    }
    void captureFailureClosesAndReports() {
        QFETCH(bool, full);
        QList<LoupeWindow *> opened;
        connect(m_controller.get(), &LoupeController::windowOpened, this,
                [&](LoupeWindow *window) { opened.append(window); });
        if (full)
            m_capturer->setFullCaptureError(u"stream refused"_s);
        else
            m_capturer->setDisplayCaptureError(u"stream refused"_s);
        QTest::ignoreMessage(QtCriticalMsg, full ? "full capture failed: stream refused"
                                                 : "capture failed: stream refused");
        begin(QPointF(10, 10));
        QTRY_COMPARE(m_failures, 1);
        QVERIFY(!m_controller->isShowing());
        QVERIFY(m_controller->windows().isEmpty());
        QCOMPARE(m_support->ends, 1);
        QCOMPARE(m_capturer->fullCaptureCount(), full ? 1 : 0);
        QCOMPARE(opened.size(), full ? 1 : 0);
        // A loupe already on screen stops taking input and goes.
        for (LoupeWindow *window : std::as_const(opened)) {
            QVERIFY(window->ignoresMouse());
            QTRY_VERIFY(!window->isVisible());
        }
    }
    void staleFailureIsOnlyLogged() {
        m_capturer->setDisplayCaptureError(u"display went away"_s);
        m_capturer->setHoldResults(true);
        begin(QPointF(10, 10));
        m_controller->close();
        m_controller->start([](const PickedColor &) {}); // a newer pick, still capturing
        const int session = m_controller->session();

        // The first pick's failure, then the second's.
        QTest::ignoreMessage(QtCriticalMsg, "capture failed: display went away");
        QTest::ignoreMessage(QtCriticalMsg, "capture failed: display went away");
        m_capturer->releaseHeld();
        QTRY_COMPARE(m_failures, 1);
        // Only the current pick's failure closed anything.
        QCOMPARE(m_controller->session(), session + 1);
    }
    void pointerMovesFollowAndChangeTheKeyWindow() {
        startAt(QPointF(100, 100));
        LoupeView *a = viewAt(0);
        LoupeView *b = viewAt(1);
        QVERIFY(a->isLoupeVisible());

        m_support->pointer = QPointF(1000, 50);
        move(a); // the view only says that the pointer moved; where to comes from the pointer
        QCOMPARE(m_controller->point(), QPointF(1000, 50));
        QVERIFY(!a->isLoupeVisible());
        QVERIFY(b->isLoupeVisible());
        QCOMPARE(m_support->focusedWindows.last(), m_controller->windows().at(1));

        const int focusChanges = m_support->focusedWindows.size();
        m_support->pointer = QPointF(1001, 51);
        move(b);
        QCOMPARE(m_support->focusedWindows.size(), focusChanges); // already key
    }
    void nudgeStaysOnTheDisplay_data() {
        QTest::addColumn<QPointF>("start");
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::addColumn<QPointF>("expected");

        QTest::newRow("up") << QPointF(100, 100) << 0 << 1 << QPointF(100, 99);
        QTest::newRow("shift left") << QPointF(400, 300) << -10 << 0 << QPointF(390, 300);
        QTest::newRow("past the right edge") << QPointF(795, 10) << 10 << 0 << QPointF(799, 10);
        QTest::newRow("bottom edge") << QPointF(10, 599) << 0 << -1 << QPointF(10, 599);
        QTest::newRow("2x right edge") << QPointF(1199.5, 10) << 1 << 0 << QPointF(1199.5, 10);
        QTest::newRow("2x left edge") << QPointF(800.5, 10) << -10 << 0 << QPointF(800, 10);
    }
    void nudgeStaysOnTheDisplay() {
        QFETCH(QPointF, start);
        QFETCH(int, dx);
        QFETCH(int, dy);
        QFETCH(QPointF, expected);

        startAt(start);
        QCOMPARE(m_controller->point(), start);
        // The display under the pointer opens first.
        LoupeView *view = viewAt(0);
        QVERIFY(view->snapshot().contains(start));
        // Through the view's own key mapping, as the arrow keys would.
        const Qt::Key arrow = dx > 0   ? Qt::Key_Right
                              : dx < 0 ? Qt::Key_Left
                              : dy > 0 ? Qt::Key_Up
                                       : Qt::Key_Down;
        const int steps = std::max(std::abs(dx), std::abs(dy));
        if (steps == 10) {
            key(view, arrow, Qt::ShiftModifier);
        } else {
            for (int i = 0; i < steps; ++i)
                key(view, arrow);
        }
        QCOMPARE(m_controller->point(), expected);
        QCOMPARE(m_support->warps.last(), expected);
        QCOMPARE(m_support->pointer, expected);
    }
    void pickHandsOverTheColorUnderTheLoupe() {
        startAt(QPointF(300, 40));
        LoupeView *a = viewAt(0);
        key(a, Qt::Key_Left, Qt::ShiftModifier);
        click(a, Qt::LeftButton);
        QCOMPARE(m_picks.size(), 1);
        QCOMPARE(LoupeView::defaultLabel(m_picks.first()), hexOf(displayA().image.pixel(290, 40)));
        QVERIFY(m_controller->isConfirming());
        QVERIFY(a->pill()->text().endsWith(QLatin1String(" copied")));
    }
    void pickOnADisplayWithoutWindowClosesWithoutColor() {
        m_capturer->setHoldResults(true);
        begin(QPointF(100, 100));
        m_capturer->releaseHeld(); // only the first capture: the full capture stays held
        QTRY_COMPARE(m_controller->windows().size(), 1);
        LoupeView *a = viewAt(0);

        m_support->pointer = QPointF(1000, 100); // onto B, which has no window yet
        move(a);
        QCOMPARE(m_controller->point(), QPointF(1000, 100));
        key(a, Qt::Key_Right); // nothing to nudge on
        QVERIFY(m_support->warps.isEmpty());
        QCOMPARE(m_controller->point(), QPointF(1000, 100));

        key(a, Qt::Key_Space);
        QVERIFY(!m_controller->isShowing());
        QVERIFY(m_picks.isEmpty());
        QCOMPARE(m_failures, 0);

        // The full capture that arrives now belongs to a closed pick.
        QSignalSpy opened(m_controller.get(), &LoupeController::windowOpened);
        m_capturer->releaseHeld();
        drainCaptures();
        QCOMPARE(opened.size(), 0);
    }
    void inputIsIgnoredWhileConfirming() {
        startAt(QPointF(200, 200));
        LoupeView *a = viewAt(0);
        key(a, Qt::Key_Return);
        QCOMPARE(m_picks.size(), 1);
        const QString label = a->pill()->text();
        QCOMPARE(label, u"#C8C800 copied"_s);

        m_support->pointer = QPointF(250, 250);
        move(a);
        key(a, Qt::Key_Right);
        key(a, Qt::Key_Return);
        key(a, Qt::Key_Escape);
        click(a, Qt::LeftButton);
        click(a, Qt::RightButton);
        QCOMPARE(m_controller->point(), QPointF(200, 200));
        QCOMPARE(m_picks.size(), 1);
        QVERIFY(m_support->warps.isEmpty());
        QVERIFY(m_controller->isShowing());
        QVERIFY(m_controller->isConfirming());
        QCOMPARE(a->pill()->text(), label);
    }
    void closesAfterItsOwnConfirmation() {
        startAt(QPointF(200, 200));
        key(viewAt(0), Qt::Key_Return);
        QVERIFY(m_controller->isConfirming());
        m_controller->start({}); // the shortcut again: closes at once

        // The earlier pick's confirmation runs out while this one shows: it closes nothing.
        startAt(QPointF(200, 200));
        QTest::qWait(LoupeController::confirmationMs + 100);
        QVERIFY(m_controller->isShowing());
        key(viewAt(0), Qt::Key_Return);
        QCOMPARE(m_picks.size(), 2);
        QVERIFY(m_controller->isShowing());
        QTRY_VERIFY_WITH_TIMEOUT(!m_controller->isShowing(), 5000);
        QVERIFY(!m_controller->isConfirming());
        QCOMPARE(m_support->restored,
                 (QList<LoupeSupport::FocusWindow>{0x5a, 0x5a})); // once for each pick
    }
    void handlerThatClosesThePickEndsIt() {
        m_support->pointer = QPointF(200, 200);
        LoupeController *controller = m_controller.get();
        m_controller->start([controller](const PickedColor &) { controller->close(); });
        QTRY_COMPARE(m_controller->windows().size(), 2);
        key(viewAt(0), Qt::Key_Return);
        QVERIFY(!m_controller->isShowing());
        QVERIFY(!m_controller->isConfirming());
        QCOMPARE(m_support->restored.size(), 1);
    }
    void closedWindowsIgnoreInputAndGoLater() {
        startAt(QPointF(200, 200));
        // Windows beyond what the pool keeps are deleted once they have gone.
        QList<QPointer<LoupeWindow>> windows;
        for (LoupeWindow *window : m_controller->windows())
            windows.append(window);
        LoupeView *a = windows.first()->view();
        key(a, Qt::Key_Escape);
        QVERIFY(!m_controller->isShowing());
        QVERIFY(windows.first()->isVisible());
        QVERIFY(windows.first()->ignoresMouse());
        // Queued input for the old views does nothing, not even a second close.
        const int session = m_controller->session();
        key(a, Qt::Key_Escape);
        key(a, Qt::Key_Right);
        click(a, Qt::LeftButton);
        QCOMPARE(m_controller->session(), session);
        QVERIFY(m_support->warps.isEmpty());
        QCOMPARE(m_support->restored.size(), 1);

        const auto gone = [](const QPointer<LoupeWindow> &w) {
            return !w || !w->isVisible();
        };
        QTRY_VERIFY(gone(windows.first()) && gone(windows.last()));
        QVERIFY(!windows.first() || windows.first()->view() == nullptr);
    }
    void windowsAreReusedOnlyOnceGone() {
        startAt(QPointF(200, 200));
        const QList<LoupeWindow *> first = m_controller->windows();
        m_controller->close();
        // Restarted while the old windows fade: the new pick opens its own.
        startAt(QPointF(200, 200));
        const QList<LoupeWindow *> second = m_controller->windows();
        for (LoupeWindow *window : second)
            QVERIFY(!first.contains(window));
        QTRY_VERIFY(!first.first()->isVisible());
        QVERIFY(!second.first()->ignoresMouse());
    }
    void lostInputClosesOnlyItsOwnPick() {
        startAt(QPointF(200, 200));
        const std::function<void()> firstLost = m_support->lost;
        firstLost();
        QVERIFY(!m_controller->isShowing());

        startAt(QPointF(200, 200));
        firstLost(); // a late report from the earlier pick
        QVERIFY(m_controller->isShowing());
        m_support->lost();
        QVERIFY(!m_controller->isShowing());
        QCOMPARE(m_failures, 0);
    }
    void labelFollowsTheSettingsAndFallsBack() {
        ColorFormat format = ColorFormat::hex;
        bool lowercase = true;
        m_controller->setLabelFormat([&] { return format; });
        m_controller->setLowercaseHex([&] { return lowercase; });
        startAt(QPointF(171, 43));
        LoupeView *a = viewAt(0);
        QCOMPARE(a->pill()->text(), u"#ab2b00"_s);
        format = ColorFormat::rgb;
        key(a, Qt::Key_Right);
        QCOMPARE(a->pill()->text(), u"rgb(172 43 0)"_s);

        // A view that outlives its controller labels in the fixed form and no longer acts.
        a->setParent(nullptr);
        std::unique_ptr<LoupeView> orphan(a);
        m_controller.reset();
        orphan->update(QPointF(171, 43));
        QCOMPARE(orphan->pill()->text(), u"#AB2B00"_s);
        key(orphan.get(), Qt::Key_Return);
        key(orphan.get(), Qt::Key_Right);
        QVERIFY(m_picks.isEmpty());
    }
    void warmUpPreparesWindowsAndRehearsesCaptures() {
        QSignalSpy warmedUp(m_controller.get(), &LoupeController::warmedUp);
        QSignalSpy opened(m_controller.get(), &LoupeController::windowOpened);
        m_support->pointer = QPointF(10, 10);
        m_controller->warmUp();
        QTRY_COMPARE(warmedUp.size(), 1);
        QCOMPARE(m_capturer->warmUpCount(), 1);
        // Two rounds of a pick's captures, nothing shown.
        QCOMPARE(m_capturer->displayCaptureCount(), 2);
        QCOMPARE(m_capturer->fullCaptureCount(), 2);
        QCOMPARE(opened.size(), 0);
        QVERIFY(!m_controller->isShowing());

        // One window per screen is ready, on the screen's frame, and the first pick takes it.
        QList<LoupeWindow *> prepared;
        const QWidgetList widgets = QApplication::topLevelWidgets();
        for (QWidget *widget : widgets) {
            if (auto *window = qobject_cast<LoupeWindow *>(widget))
                prepared.append(window);
        }
        QCOMPARE(prepared.size(), QGuiApplication::screens().size());
        QVERIFY(!prepared.first()->isVisible());
        startAt(QPointF(10, 10));
        QCOMPARE(m_controller->windows().first(), prepared.first());
    }
    // Where the window system tells only the loupe's windows: their events move the point, and
    // a nudge moves the point without warping.
    void unreadablePointerFollowsTheEvents() {
        m_support->readable = false;
        QCursor::setPos(QPoint(100, 100));
        startAt(QPointF(100, 100));
        QCOMPARE(m_controller->point(), QPointF(100, 100));
        LoupeView *a = viewAt(0);
        move(a);
        const QPointF moved = a->mapToGlobal(QPointF(20, 20));
        QCOMPARE(m_controller->point(), moved);
        key(a, Qt::Key_Right);
        QCOMPARE(m_controller->point(), moved + QPointF(1, 0));
        QVERIFY(m_support->warps.isEmpty());
    }
    void failedRehearsalIsQuiet() {
        QSignalSpy warmedUp(m_controller.get(), &LoupeController::warmedUp);
        m_capturer->setFullCaptureError(u"not allowed"_s);
        m_controller->warmUp();
        QTRY_COMPARE(warmedUp.size(), 1);
        QCOMPARE(m_failures, 0);
        QCOMPARE(m_capturer->fullCaptureCount(), 1);
        QVERIFY(!m_controller->isShowing());
    }

private:
    // Starts a pick with the pointer at `pointer`, recording picks into m_picks.
    void begin(const QPointF &pointer) {
        m_support->pointer = pointer;
        m_controller->start([this](const PickedColor &color) { m_picks.append(color); });
    }
    // Starts a pick and waits for `windows` windows.
    void startAt(const QPointF &pointer, int windows = 2) {
        begin(pointer);
        QTRY_COMPARE(m_controller->windows().size(), windows);
    }
    // Waits until every capture asked for so far has been delivered.
    void drainCaptures() {
        // A capture asked for now is delivered after every earlier one.
        bool probed = false;
        m_capturer->setHoldResults(false);
        QObject context;
        m_capturer->captureDisplay(QPointF(-5000, -5000), &context,
                                   [&](CaptureResult) { probed = true; });
        QTRY_VERIFY(probed);
    }
    LoupeView *viewAt(int index) const { return m_controller->windows().value(index)->view(); }

    SyntheticSnapshotCapturer *m_capturer = nullptr;
    FakeLoupeSupport *m_support = nullptr;
    std::unique_ptr<LoupeController> m_controller;
    QList<PickedColor> m_picks;
    int m_failures = 0;
};

QTEST_MAIN(tst_LoupeController)
#include "tst_LoupeController.moc"
