#include "OrinOnboarding/OnboardingView.h"
#include "OrinOnboarding/OnboardingWindowController.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QList<OnboardingStep> steps(int count) {
    QList<OnboardingStep> list;
    for (int i = 0; i < count; ++i) {
        const QString text = u"Page %1"_s.arg(i + 1);
        list.append({u"page%1"_s.arg(i + 1), [text] { return new QLabel(text); }, {}});
    }
    return list;
}

} // namespace

class tst_OnboardingWindowController : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showMakesACentredWindowOfTheGivenSize() {
        OnboardingWindowController controller("Welcome", QSize(500, 400), [] {});
        QVERIFY(!controller.window());
        QVERIFY(!controller.isFinished());
        controller.show(steps(3), 1, "Done");
        QWidget *window = controller.window();
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
    }

    void showAgainReplacesThePages() {
        OnboardingWindowController controller("Welcome", QSize(500, 400), [] {});
        controller.show(steps(3), 0, "Done");
        QPointer<QWidget> window = controller.window();
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
        OnboardingWindowController controller("Welcome", QSize(500, 400), [&] { ++finished; });
        controller.show(steps(3), 0, "Done");
        QPointer<QWidget> window = controller.window();
        QVERIFY(window->close());
        QCOMPARE(finished, 1);
        QVERIFY(controller.isFinished());
        QVERIFY(!controller.window());
        QVERIFY(!controller.view());
        // The window goes away once its close has been handled.
        QTRY_VERIFY(!window);
        QCOMPARE(finished, 1);
        // Closing once more finishes nothing again.
        controller.show(steps(1), 0, "Done");
        controller.window()->close();
        QCOMPARE(finished, 1);
    }

    void theLastPagesButtonClosesTheWindow() {
        int finished = 0;
        OnboardingWindowController controller("Welcome", QSize(500, 400), [&] { ++finished; });
        controller.show(steps(2), 1, "Done");
        QPointer<QWidget> window = controller.window();
        controller.view()->mainButton()->click();
        QCOMPARE(finished, 1);
        QVERIFY(controller.isFinished());
        QTRY_VERIFY(!window);
    }

    void theFinishHandlerMayDeleteTheController() {
        OnboardingWindowController *controller = nullptr;
        bool finished = false;
        controller = new OnboardingWindowController("Welcome", QSize(500, 400), [&] {
            finished = true;
            delete controller;
        });
        QPointer<OnboardingWindowController> guard(controller);
        controller->show(steps(1), 0, "Done");
        QPointer<QWidget> window = controller->window();
        controller->view()->mainButton()->click();
        QVERIFY(finished);
        QVERIFY(!guard);
        QTRY_VERIFY(!window);
    }

    void droppingAnOpenControllerTakesTheWindow() {
        int finished = 0;
        auto controller = std::make_unique<OnboardingWindowController>("Welcome", QSize(500, 400),
                                                                       [&] { ++finished; });
        controller->show(steps(2), 0, "Done");
        QPointer<QWidget> window = controller->window();
        controller.reset();
        QVERIFY(!window);
        QCOMPARE(finished, 0);
    }
};

QTEST_MAIN(tst_OnboardingWindowController)
#include "tst_OnboardingWindowController.moc"
