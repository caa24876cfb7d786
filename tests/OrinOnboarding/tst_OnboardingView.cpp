#include "OrinOnboarding/OnboardingView.h"
#include "OrinOnboarding/PageDots.h"
#include "OrinOnboarding/ShortcutBadge.h"
#include "Support/ImageProbe.h"

#include <QFontMetrics>
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

        QCOMPARE(view.count(), 3);
        QCOMPARE(view.index(), 0);
        QCOMPARE(pageText(view), "Page one");
        QCOMPARE(view.currentPage()->objectName(), "one");
        QCOMPARE(view.pageDots()->count(), 3);
        QCOMPARE(view.pageDots()->current(), 0);
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
        QTest::newRow("last") << 2 << 3 << 2;
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
        // A link in the accent colour, as the main button.
        const QColor accent = view.palette().color(QPalette::Highlight);
        const int accentPixels = probe(view.skipButton()->grab().toImage(), [&](const QColor &c) {
                                     return qAbs(c.red() - accent.red()) +
                                                qAbs(c.green() - accent.green()) +
                                                qAbs(c.blue() - accent.blue()) <
                                            30;
                                 }).count;
        QVERIFY2(accentPixels > 10, qPrintable(QString::number(accentPixels)));
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

    void dotsMarkTheCurrentPage() {
        PageDots dots;
        dots.setCount(3);
        dots.setCurrent(1);
        QCOMPARE(dots.sizeHint(), QSize(3 * 7 + 2 * 6, 7));
        QPalette palette = dots.palette();
        palette.setColor(QPalette::Highlight, QColor(0, 0, 255));
        palette.setColor(QPalette::WindowText, QColor(0, 0, 0));
        palette.setColor(QPalette::Window, QColor(255, 255, 255));
        dots.setPalette(palette);
        dots.setAutoFillBackground(true);
        dots.resize(dots.sizeHint());
        const QImage image = dots.grab().toImage();
        // Centres of the three dots.
        const QColor current = image.pixelColor(13 + 3, 3);
        const QColor other = image.pixelColor(3, 3);
        QCOMPARE(current, QColor(0, 0, 255));
        // Black at 0.5 x 0.3 over white.
        QVERIFY2(qAbs(other.red() - 217) <= 3 && other.red() == other.blue(),
                 qPrintable(other.name()));
        QCOMPARE(image.pixelColor(26 + 3, 3), other);
        // The gap between dots stays clear.
        QCOMPARE(image.pixelColor(10, 3), QColor(255, 255, 255));
    }
    void sizedByItsTextAndPadding() {
        ShortcutBadge badge(QString::fromUtf8("⌃⌥C"));
        QFont font = badge.font();
        font.setPixelSize(22);
        font.setWeight(QFont::DemiBold);
        const QFontMetrics metrics(font);
        QCOMPARE(badge.text(), QString::fromUtf8("⌃⌥C"));
        QCOMPARE(badge.sizeHint(), QSize(metrics.horizontalAdvance(QString::fromUtf8("⌃⌥C")) + 32,
                                         metrics.height() + 16));
        // A longer shortcut makes a wider badge.
        QVERIFY(ShortcutBadge("Ctrl+Alt+Shift+C").sizeHint().width() > badge.sizeHint().width());
    }

    void faintRoundedTile() {
        ShortcutBadge badge("X");
        QPalette palette = badge.palette();
        palette.setColor(QPalette::WindowText, QColor(0, 0, 0));
        palette.setColor(QPalette::Window, QColor(255, 255, 255));
        badge.setPalette(palette);
        badge.setAutoFillBackground(true);
        badge.resize(100, 40);
        const QImage image = badge.grab().toImage();
        // Inside the tile, away from the text: black at 0.08 over white.
        const QColor tile = image.pixelColor(4, 20);
        QVERIFY2(qAbs(tile.red() - 235) <= 2, qPrintable(tile.name()));
        // The corner is rounded off (radius 10): its very corner shows the window.
        QCOMPARE(image.pixelColor(0, 0), QColor(255, 255, 255));
        // The text is drawn in the text colour.
        QVERIFY(probe(
            image, [](const QColor &c) { return c.red() < 100; }, QRect(40, 10, 20, 20)));
    }
};

QTEST_MAIN(tst_OnboardingView)
#include "tst_OnboardingView.moc"
