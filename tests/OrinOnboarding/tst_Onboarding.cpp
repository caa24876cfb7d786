#include "OrinOnboarding/OnboardingView.h"
#include "OrinOnboarding/OnboardingWindowController.h"
#include "OrinOnboarding/PageDots.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

// Three plain pages; the middle one is complete only while `complete` says so.
QList<OnboardingStep> threeSteps(const std::shared_ptr<bool> &complete) {
    const auto page = [](const QString &text) {
        return [text] {
            return new QLabel(text);
        };
    };
    return {
        {"one", page("Page one"), {}},
        {"two", page("Page two"),
         [complete] {
             return *complete;
         }},
        {"three", page("Page three"), {}},
    };
}

// The first `count` of them, all complete.
QList<OnboardingStep> steps(int count) {
    return threeSteps(std::make_shared<bool>(true)).mid(0, count);
}

QString pageText(const OnboardingView &view) {
    auto *label = qobject_cast<QLabel *>(view.currentPage());
    return label ? label->text() : QString();
}

bool skipShown(const OnboardingView &view) {
    return view.skipButton()->isVisibleTo(&view);
}

} // namespace

// The onboarding pager and the window that holds it.
class tst_Onboarding : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pagesInOrderWithDots() {
        int finished = 0;
        OnboardingView view(steps(3), 0, "Get Going", [&] { ++finished; });
        view.resize(500, 400);
        view.show();

        QCOMPARE(pageText(view), "Page one");
        QCOMPARE(view.pageDots()->count(), 3);
        QCOMPARE(view.mainButton()->text(), "Continue");

        QPointer<QWidget> first = view.currentPage();
        view.mainButton()->click();
        QCOMPARE(pageText(view), "Page two");
        QVERIFY(!first);
        // Shown at once, not on a later turn of the event loop, coming in from the trailing
        // side and springing to rest where the layout puts it.
        QVERIFY(view.currentPage()->isVisible());
        QCOMPARE(view.currentPage()->x(), OnboardingView::pageSlide);
        QTRY_COMPARE(view.currentPage()->x(), 0);
        QCOMPARE(view.pageDots()->current(), 1);

        view.mainButton()->click();
        QCOMPARE(pageText(view), "Page three");
        QCOMPARE(view.mainButton()->text(), "Get Going");
        QCOMPARE(finished, 0);

        view.mainButton()->click();
        QCOMPARE(finished, 1);
        QCOMPARE(view.index(), 2);
    }

    void startIndexIsClamped_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("expected");
        QTest::newRow("negative") << -3 << 3 << 0;
        QTest::newRow("past the end") << 7 << 3 << 2;
        QTest::newRow("empty list") << 4 << 0 << 0;
    }
    void startIndexIsClamped() {
        QFETCH(int, start);
        QFETCH(int, count);
        QFETCH(int, expected);
        int finished = 0;
        OnboardingView view(steps(count), start, "Done", [&] { ++finished; });
        QCOMPARE(view.index(), expected);
        // On the last page (or with none) the main button finishes.
        if (expected == count - 1 || count == 0) {
            QCOMPARE(view.mainButton()->text(), "Done");
            view.mainButton()->click();
            QCOMPARE(finished, 1);
        }
    }

    void blockedPageOffersSkipUntilATickSeesItComplete() {
        auto complete = std::make_shared<bool>(false);
        OnboardingView view(threeSteps(complete), 0, "Done", [] {});
        view.show();
        // A page without a test never blocks.
        QVERIFY(!view.isBlocked());
        QVERIFY(!skipShown(view));

        view.advance();
        QVERIFY(view.isBlocked());
        QVERIFY(skipShown(view));
        QCOMPARE(view.skipButton()->text(), "Skip for now");
        // The main button is never disabled: it advances past a blocked page too.
        QVERIFY(view.mainButton()->isEnabled());

        *complete = true;
        // Nothing looks before the next tick.
        QVERIFY(skipShown(view));
        view.tick();
        QVERIFY(!skipShown(view));
        *complete = false;
        view.tick();
        QVERIFY(skipShown(view));

        view.skipButton()->click();
        QCOMPARE(view.index(), 2);
        QVERIFY(!skipShown(view));
    }

    void returnPressesTheMainButton() {
        auto complete = std::make_shared<bool>(false);
        int finished = 0;
        OnboardingView view(threeSteps(complete), 0, "Done", [&] { ++finished; });
        view.show();
        QVERIFY(QTest::qWaitForWindowActive(&view));

        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(view.index(), 1);
        // Even with the focus on "Skip for now", Return is the main button's.
        view.skipButton()->setFocus();
        QTest::keyClick(view.skipButton(), Qt::Key_Enter);
        QCOMPARE(view.index(), 2);
        QTest::keyClick(view.mainButton(), Qt::Key_Return);
        QCOMPARE(finished, 1);
    }

    void showMakesACentredWindowAndShowAgainReplacesThePages() {
        OnboardingWindowController controller("Welcome", QSize(500, 400), [] {});
        QVERIFY(!controller.window());
        controller.show(steps(3), 1, "Done");
        QPointer<QWidget> window = controller.window();
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), "Welcome");
        QCOMPARE(window->size(), QSize(500, 400));
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        // Centred, give or take the frame the platform puts around it.
        const QPoint offset = window->geometry().center() - available.center();
        QVERIFY2(offset.manhattanLength() <= 8,
                 qPrintable(QString::number(offset.manhattanLength())));
        QCOMPARE(controller.view()->index(), 1);
        QVERIFY(QTest::qWaitForWindowActive(window));

        QPointer<OnboardingView> oldView = controller.view();
        controller.show(steps(2), 5, "Finish");
        QCOMPARE(controller.window(), window.data());
        QVERIFY(!oldView);
        QCOMPARE(controller.view()->count(), 2);
        QCOMPARE(controller.view()->index(), 1);
        QCOMPARE(controller.view()->mainButton()->text(), "Finish");
    }

    void closingTheWindowFinishesOnce() {
        int finished = 0;
        const auto make = [&] {
            return std::make_unique<OnboardingWindowController>("Welcome", QSize(500, 400),
                                                                [&] { ++finished; });
        };
        // Dropped while open, a controller takes its window along, unfinished.
        auto controller = make();
        controller->show(steps(2), 0, "Done");
        QPointer<QWidget> window = controller->window();
        controller.reset();
        QVERIFY(!window);
        QCOMPARE(finished, 0);

        controller = make();
        QVERIFY(!controller->isFinished());
        controller->show(steps(3), 0, "Done");
        window = controller->window();
        QVERIFY(window->close());
        QCOMPARE(finished, 1);
        QVERIFY(controller->isFinished());
        QVERIFY(!controller->window());
        QVERIFY(!controller->view());
        // The window goes away once its close has been handled.
        QTRY_VERIFY(!window);
        // Closing once more finishes nothing again.
        controller->show(steps(1), 0, "Done");
        controller->window()->close();
        QCOMPARE(finished, 1);
    }

    // The last page's button closes the window, and the finish handler may delete the controller.
    void theLastPagesButtonFinishes() {
        OnboardingWindowController *controller = nullptr;
        bool finished = false;
        controller = new OnboardingWindowController("Welcome", QSize(500, 400), [&] {
            finished = true;
            QVERIFY(controller->isFinished());
            delete controller;
        });
        QPointer<OnboardingWindowController> guard(controller);
        controller->show(steps(2), 1, "Done");
        QPointer<QWidget> window = controller->window();
        controller->view()->mainButton()->click();
        QVERIFY(finished);
        QVERIFY(!guard);
        QTRY_VERIFY(!window);
    }
};

QTEST_MAIN(tst_Onboarding)
#include "tst_Onboarding.moc"
