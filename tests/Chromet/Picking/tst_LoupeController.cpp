#include "Chromet/Picking/LoupeController.h"
#include "Chromet/Picking/LoupeView.h"
#include "Chromet/Picking/LoupeWindow.h"
#include "Chromet/Picking/PillView.h"
#include "Support/ColorFixture.h"
#include "Support/FakeLoupeSupport.h"
#include "Support/SyntheticSnapshotCapturer.h"

#include <QApplication>
#include <QCursor>
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

// The same display, every pixel red.
ScreenSnapshot red(ScreenSnapshot s) {
    s.image.fill(Qt::red);
    return s;
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
                if (message != QLatin1String("This plugin does not support raise()"))
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
    void cleanup() { m_controller.reset(); }

    void displayUnderPointerIsShownFirstThenTheOthers() {
        QList<int> fullCapturesWhenOpened;
        connect(m_controller.get(), &LoupeController::windowOpened, this,
                [&] { fullCapturesWhenOpened.append(m_capturer->fullCaptureCount()); });
        m_capturer->setHoldResults(true);
        begin(QPointF(900, 100));
        QVERIFY(m_controller->isShowing());
        QVERIFY(m_controller->windows().isEmpty());

        // The full capture, asked for once the first window is up, sees other pixels there.
        m_capturer->setDisplays({displayA(), red(displayB())});
        QCOMPARE(m_capturer->releaseHeld(), 1);
        QTRY_COMPARE(m_controller->windows().size(), 1);
        LoupeWindow *first = m_controller->windows().first();
        QCOMPARE(first->frame(), displayB().frame);
        QVERIFY(first->isVisible());
        QCOMPARE(m_support->inputViews, QList<QWidget *>{first->view()});
        QCOMPARE(m_support->focusedWindows, QList<QWidget *>{first});
        QVERIFY(first->view()->isLoupeVisible());
        QTRY_COMPARE(m_capturer->fullCaptureCount(), 1);

        QCOMPARE(m_capturer->releaseHeld(), 1);
        QTRY_COMPARE(m_controller->windows().size(), 2);
        QCOMPARE(m_controller->windows().at(1)->frame(), displayA().frame);
        QCOMPARE(fullCapturesWhenOpened, (QList<int>{0, 1}));
        // The first display keeps its first snapshot.
        QCOMPARE(viewAt(0)->snapshot().image.pixel(100, 100), displayB().image.pixel(100, 100));
        // The pointer is on B: A's view hides its loupe, B stays the key window.
        QVERIFY(!viewAt(1)->isLoupeVisible());
        QCOMPARE(m_support->focusedWindows.size(), 1);

        // Onto A: the view only says that the pointer moved; where to comes from the pointer.
        m_support->pointer = QPointF(100, 50);
        move(viewAt(0));
        QCOMPARE(m_controller->point(), QPointF(100, 50));
        QVERIFY(viewAt(1)->isLoupeVisible() && !viewAt(0)->isLoupeVisible());
        QCOMPARE(m_support->focusedWindows.last(), m_controller->windows().at(1));
        m_support->pointer = QPointF(101, 51);
        move(viewAt(1));
        QCOMPARE(m_support->focusedWindows.size(), 2); // already key
    }
    void partialFirstSnapshotIsCompletedAndPicksBeyondItWait() {
        m_support->partsOfWindows = true;
        m_capturer->setHoldResults(true);
        begin(QPointF(100, 100));
        // The whole display is read while the loupe window covers the area read first.
        m_capturer->setDisplays({red(displayA()), displayB()});
        m_capturer->releaseHeld();
        QTRY_COMPARE(m_controller->windows().size(), 1);
        LoupeWindow *first = m_controller->windows().first();
        QCOMPARE(first->view()->snapshot().capturedPixels(), QRect(0, 0, 300, 300));
        QCOMPARE(first->mask(), QRegion(1, 1, 298, 298));

        m_support->pointer = QPointF(700, 500);
        move(first->view());
        QVERIFY(!first->view()->isLoupeVisible());
        QTest::mouseClick(first->view(), Qt::LeftButton);
        QVERIFY(m_picks.isEmpty() && m_controller->isShowing());
        QTRY_COMPARE(m_capturer->heldCount(), 1);
        m_capturer->releaseHeld();
        QTRY_COMPARE(m_picks.size(), 1);
        QCOMPARE(LoupeView::defaultLabel(m_picks.first()), u"#FF0000"_s);
        QVERIFY(first->mask().isEmpty());
        QCOMPARE(first->view()->snapshot().image.pixel(100, 100), displayA().image.pixel(100, 100));
        QCOMPARE(first->view()->snapshot().image.pixel(300, 300), qRgb(255, 0, 0));
    }
    // Captures that arrive for a pick already closed open nothing.
    void lateCapturesOfAClosedPickAreDropped() {
        QSignalSpy opened(m_controller.get(), &LoupeController::windowOpened);
        m_capturer->setHoldResults(true);
        begin(QPointF(10, 10));
        m_controller->close();
        QCOMPARE(m_capturer->releaseHeld(), 1);
        drainCaptures();
        QCOMPARE(opened.size(), 0);
        QVERIFY(m_controller->windows().isEmpty() && !m_controller->isShowing());

        // A pick on a display whose window is not open yet (its capture still held) ends it.
        m_capturer->setHoldResults(true);
        begin(QPointF(100, 100));
        m_capturer->releaseHeld();
        QTRY_COMPARE(m_controller->windows().size(), 1);
        LoupeView *a = viewAt(0);
        m_support->pointer = QPointF(1000, 100);
        move(a);
        QCOMPARE(m_controller->point(), QPointF(1000, 100));
        QTest::keyClick(a, Qt::Key_Right); // nothing to nudge on
        QVERIFY(m_support->warps.isEmpty());
        QTest::keyClick(a, Qt::Key_Space);
        QVERIFY(!m_controller->isShowing());
        QVERIFY(m_picks.isEmpty());
        m_capturer->releaseHeld();
        drainCaptures();
        QCOMPARE(opened.size(), 1);
        QCOMPARE(m_failures, 0);
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

        // The first pick's failure, then the second's; only the second closes anything.
        QTest::ignoreMessage(QtCriticalMsg, "capture failed: display went away");
        QTest::ignoreMessage(QtCriticalMsg, "capture failed: display went away");
        m_capturer->releaseHeld();
        QTRY_COMPARE(m_failures, 1);
        QCOMPARE(m_controller->session(), session + 1);
    }
    void nudgeStaysOnTheDisplay_data() {
        QTest::addColumn<QPointF>("start");
        QTest::addColumn<int>("arrow");
        QTest::addColumn<int>("presses"); // 0: once with Shift
        QTest::addColumn<QPointF>("expected");

        QTest::newRow("past the right edge")
            << QPointF(795, 10) << int(Qt::Key_Right) << 0 << QPointF(799, 10);
        QTest::newRow("bottom edge")
            << QPointF(10, 599) << int(Qt::Key_Down) << 1 << QPointF(10, 599);
        QTest::newRow("2x right edge")
            << QPointF(1199.5, 10) << int(Qt::Key_Right) << 1 << QPointF(1199.5, 10);
        QTest::newRow("2x left edge")
            << QPointF(800.5, 10) << int(Qt::Key_Left) << 0 << QPointF(800, 10);
    }
    void nudgeStaysOnTheDisplay() {
        QFETCH(QPointF, start);
        QFETCH(int, arrow);
        QFETCH(int, presses);
        QFETCH(QPointF, expected);
        startAt(start);
        // The display under the pointer opens first; its view maps the keys.
        LoupeView *view = viewAt(0);
        for (int i = 0; i < std::max(presses, 1); ++i)
            QTest::keyClick(view, Qt::Key(arrow), presses ? Qt::NoModifier : Qt::ShiftModifier);
        QCOMPARE(m_controller->point(), expected);
        QCOMPARE(m_support->warps.last(), expected);
    }
    // A pick hands over the color under the loupe, confirms it, ignores input while confirming
    // and closes after its own confirmation, never an earlier pick's.
    void pickConfirmsThenCloses() {
        startAt(QPointF(300, 40));
        QTest::keyClick(viewAt(0), Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(viewAt(0), Qt::Key_Return);
        QVERIFY(m_controller->isConfirming());
        m_controller->start({}); // the shortcut again: closes at once

        startAt(QPointF(200, 200));
        m_support->warps.clear();
        QTest::qWait(LoupeController::confirmationMs + 100);
        QVERIFY(m_controller->isShowing());
        LoupeView *a = viewAt(0);
        QTest::mouseClick(a, Qt::LeftButton);
        QCOMPARE(m_picks.size(), 2);
        QCOMPARE(LoupeView::defaultLabel(m_picks.first()),
                 QColor(displayA().image.pixel(290, 40)).name().toUpper());
        QCOMPARE(a->pill()->text(), u"#C8C800 copied"_s);

        m_support->pointer = QPointF(250, 250);
        move(a);
        for (Qt::Key k : {Qt::Key_Right, Qt::Key_Return, Qt::Key_Escape})
            QTest::keyClick(a, k);
        QTest::mouseClick(a, Qt::LeftButton);
        QTest::mouseClick(a, Qt::RightButton);
        QCOMPARE(m_controller->point(), QPointF(200, 200));
        QCOMPARE(m_picks.size(), 2);
        QVERIFY(m_support->warps.isEmpty());
        QVERIFY(m_controller->isShowing() && m_controller->isConfirming());
        QTRY_VERIFY_WITH_TIMEOUT(!m_controller->isShowing(), 5000);
        QVERIFY(!m_controller->isConfirming());
        QCOMPARE(m_support->restored, (QList<LoupeSupport::FocusWindow>{0x5a, 0x5a}));
    }
    // Input and lost-input reports for a closed pick do nothing; its windows fade, are not taken
    // by a pick started meanwhile, and go.
    void closedPickIsInert() {
        startAt(QPointF(200, 200));
        const std::function<void()> firstLost = m_support->lost;
        QList<QPointer<LoupeWindow>> closed;
        for (LoupeWindow *window : m_controller->windows())
            closed.append(window);
        LoupeView *a = closed.first()->view();
        QTest::keyClick(a, Qt::Key_Escape);
        QVERIFY(!m_controller->isShowing());
        QVERIFY(closed.first()->isVisible() && closed.first()->ignoresMouse());
        const int session = m_controller->session();
        QTest::keyClick(a, Qt::Key_Escape);
        QTest::keyClick(a, Qt::Key_Right);
        QTest::mouseClick(a, Qt::LeftButton);
        firstLost();
        QCOMPARE(m_controller->session(), session);
        QVERIFY(m_support->warps.isEmpty());
        QCOMPARE(m_support->restored.size(), 1);

        m_controller->start({});
        m_controller->start({}); // the shortcut again while it captures: closes at once
        QCOMPARE(m_controller->session(), session + 2);
        QVERIFY(m_controller->windows().isEmpty());
        QCOMPARE(m_capturer->displayCaptureCount(), 2);
        startAt(QPointF(200, 200));
        for (LoupeWindow *window : m_controller->windows())
            QVERIFY(!closed.contains(window) && !window->ignoresMouse());
        firstLost();
        QVERIFY(m_controller->isShowing());
        m_support->lost();
        QVERIFY(!m_controller->isShowing());
        QCOMPARE(m_failures, 0);

        const auto gone = [](const QPointer<LoupeWindow> &w) {
            return !w || !w->isVisible();
        };
        QTRY_VERIFY(gone(closed.first()) && gone(closed.last()));
        QVERIFY(!closed.first() || closed.first()->view() == nullptr);
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
        QTest::keyClick(a, Qt::Key_Right);
        QCOMPARE(a->pill()->text(), u"rgb(172 43 0)"_s);

        // A view that outlives its controller labels in the fixed form and no longer acts.
        a->setParent(nullptr);
        std::unique_ptr<LoupeView> orphan(a);
        m_controller.reset();
        orphan->update(QPointF(171, 43));
        QCOMPARE(orphan->pill()->text(), u"#AB2B00"_s);
        QTest::keyClick(orphan.get(), Qt::Key_Return);
        QTest::keyClick(orphan.get(), Qt::Key_Right);
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

        // One window per screen is ready and the first pick takes it.
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
        m_controller->close();

        // A failed rehearsal ends the warm-up quietly.
        m_capturer->setFullCaptureError(u"not allowed"_s);
        m_controller->warmUp();
        QTRY_COMPARE(warmedUp.size(), 2);
        QCOMPARE(m_capturer->fullCaptureCount(), 4);
        QCOMPARE(m_failures, 0);

        // Where each capture goes through the desktop, none is taken before a pick asks.
        m_capturer->unnoticed = false;
        m_controller->warmUp();
        QTRY_COMPARE(warmedUp.size(), 3);
        QCOMPARE(m_capturer->displayCaptureCount(), 4);
        QCOMPARE(m_capturer->fullCaptureCount(), 4);
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
        QTest::keyClick(a, Qt::Key_Right);
        QCOMPARE(m_controller->point(), moved + QPointF(1, 0));
        QVERIFY(m_support->warps.isEmpty());
    }

private:
    // Starts a pick with the pointer at `pointer`, recording picks into m_picks.
    void begin(const QPointF &pointer) {
        m_support->pointer = pointer;
        m_controller->start([this](const PickedColor &color) { m_picks.append(color); });
    }
    // Starts a pick and waits for both windows.
    void startAt(const QPointF &pointer) {
        begin(pointer);
        QTRY_COMPARE(m_controller->windows().size(), 2);
    }
    // Waits until every capture asked for so far has been delivered: one asked for now comes
    // after them.
    void drainCaptures() {
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
