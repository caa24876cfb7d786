#include "OrinOnboarding/OnboardingView.h"
#include "OrinOnboarding/PageDots.h"

#include <QLabel>
#include <QPushButton>
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

QString pageText(const OnboardingView &view) {
    auto *label = qobject_cast<QLabel *>(view.currentPage());
    return label ? label->text() : QString();
}

bool skipShown(const OnboardingView &view) {
    return view.skipButton()->isVisibleTo(&view);
}

} // namespace

class tst_OnboardingView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pagesInOrderWithDots() {
        auto complete = std::make_shared<bool>(true);
        int finished = 0;
        OnboardingView view(threeSteps(complete), 0, "Get Going", [&] { ++finished; });
        view.resize(500, 400);
        view.show();

        QCOMPARE(pageText(view), "Page one");
        QCOMPARE(view.pageDots()->count(), 3);
        QCOMPARE(view.mainButton()->text(), "Continue");

        view.mainButton()->click();
        QCOMPARE(view.index(), 1);
        QCOMPARE(pageText(view), "Page two");
        // Shown at once, not on a later turn of the event loop, coming in from the trailing
        // side and springing to rest where the layout puts it.
        QVERIFY(view.currentPage()->isVisible());
        QCOMPARE(view.currentPage()->x(), OnboardingView::pageSlide);
        QTRY_COMPARE(view.currentPage()->x(), 0);
        QCOMPARE(view.pageDots()->current(), 1);
        QCOMPARE(view.mainButton()->text(), "Continue");

        view.mainButton()->click();
        QCOMPARE(view.index(), 2);
        QCOMPARE(pageText(view), "Page three");
        QCOMPARE(view.mainButton()->text(), "Get Going");
        QCOMPARE(finished, 0);

        view.mainButton()->click();
        QCOMPARE(finished, 1);
        QCOMPARE(view.index(), 2);
    }

    void aShownPageReplacesTheOldOne() {
        auto complete = std::make_shared<bool>(true);
        OnboardingView view(threeSteps(complete), 0, "Done", [] {});
        QPointer<QWidget> first = view.currentPage();
        view.advance();
        QVERIFY(!first);
        QCOMPARE(view.findChildren<QLabel *>().size(), 1);
    }

    void startIndexIsClamped_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("expected");
        QTest::newRow("negative") << -3 << 3 << 0;
        QTest::newRow("past the end") << 7 << 3 << 2;
        QTest::newRow("empty list") << 4 << 0 << 0;
    }

    void startIndexIsClamped() {
        QFETCH(int, start);
        QFETCH(int, steps);
        QFETCH(int, expected);
        auto complete = std::make_shared<bool>(true);
        int finished = 0;
        OnboardingView view(threeSteps(complete).mid(0, steps), start, "Done", [&] { ++finished; });
        QCOMPARE(view.index(), expected);
        // On the last page (or with none) the main button finishes.
        if (expected == steps - 1 || steps == 0) {
            QCOMPARE(view.mainButton()->text(), "Done");
            view.mainButton()->click();
            QCOMPARE(finished, 1);
        }
    }

    void blockedPageOffersSkip() {
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

        view.skipButton()->click();
        QCOMPARE(view.index(), 2);
        QVERIFY(!skipShown(view));
    }

    void aTickNoticesTheCompletion() {
        auto complete = std::make_shared<bool>(false);
        OnboardingView view(threeSteps(complete), 1, "Done", [] {});
        view.show();
        QVERIFY(skipShown(view));

        *complete = true;
        // Nothing looks before the next tick.
        QVERIFY(skipShown(view));
        const int before = view.ticks();
        view.tick();
        QCOMPARE(view.ticks(), before + 1);
        QVERIFY(!skipShown(view));

        *complete = false;
        view.tick();
        QVERIFY(skipShown(view));
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

    void finishMayDeleteTheView() {
        auto complete = std::make_shared<bool>(true);
        OnboardingView *view = nullptr;
        view = new OnboardingView(threeSteps(complete), 2, "Done", [&view] { delete view; });
        QPointer<OnboardingView> guard(view);
        view->mainButton()->click();
        QVERIFY(!guard);
    }
};

QTEST_MAIN(tst_OnboardingView)
#include "tst_OnboardingView.moc"
