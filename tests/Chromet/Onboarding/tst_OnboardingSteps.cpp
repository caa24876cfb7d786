#include "Chromet/Onboarding/OnboardingSteps.h"
#include "Chromet/Onboarding/ScreenRecordingStep.h"
#include "OrinOnboarding/ShortcutBadge.h"
#include "OrinSettings/CommandBinding.h"
#include "OrinSettings/DesktopKeyBinding.h"
#include "Support/FakePermission.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A property (the text, or the symbol drawn) of the labels `root` shows that have one, top to
// bottom, left to right.
QStringList shown(const QWidget *root, const char *property) {
    // Lay out what changed since the last turn of the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QList<QLabel *> labels;
    for (QLabel *label : root->findChildren<QLabel *>()) {
        if (label->isVisibleTo(root) && !label->property(property).toString().isEmpty())
            labels.append(label);
    }
    std::sort(labels.begin(), labels.end(), [root](QLabel *a, QLabel *b) {
        const QPoint pa = a->mapTo(root, QPoint(0, 0));
        const QPoint pb = b->mapTo(root, QPoint(0, 0));
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    });
    QStringList values;
    for (QLabel *label : labels)
        values.append(label->property(property).toString());
    return values;
}
QStringList shownTexts(const QWidget *root) {
    return shown(root, "text");
}
QStringList shownSymbols(const QWidget *root) {
    return shown(root, "symbolName");
}

// A page made by a step, shown at the pager's page size.
std::unique_ptr<QWidget> showPage(const OnboardingStep &step) {
    std::unique_ptr<QWidget> page(step.content());
    page->resize(444, 300);
    page->show();
    return page;
}

} // namespace

class tst_OnboardingSteps : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void threeStepsInOrder() {
        FakePermission permission;
        const QList<OnboardingStep> steps = ChrometOnboarding::steps("⌃⌥C", &permission);
        QCOMPARE(steps.size(), 3);
        auto page = showPage(steps[0]);
        QCOMPARE(shownTexts(page.get()).first(), "Welcome to Chromet");
        QCOMPARE(shownSymbols(page.get()), QStringList{"eyedropper.halffull"});
        QVERIFY(!steps[0].isComplete);
        // The permission page is complete exactly while the checker grants.
        QVERIFY(steps[1].isBlocked());
        permission.granted = true;
        QVERIFY(!steps[1].isBlocked());
    }

    void permissionPage_data() {
        QTest::addColumn<bool>("granted");
        QTest::addColumn<bool>("settings"); // whether the desktop has a setting to open
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("symbols");
        const QStringList waiting{"rectangle.dashed.badge.record"};
        QTest::newRow("not granted")
            << false << true << u"Allow Chromet there, then come back here."_s << waiting;
        QTest::newRow("not granted, no setting")
            << false << false << u"The test denies it."_s << waiting;
        // Looked at on appearance, without waiting for a tick.
        QTest::newRow("granted") << true << true << u"Access granted"_s
                                 << QStringList{"checkmark.circle.fill", "checkmark"};
    }
    void permissionPage() {
        QFETCH(bool, granted);
        QFETCH(bool, settings);
        QFETCH(QString, status);
        QFETCH(QStringList, symbols);
        FakePermission permission;
        permission.granted = granted;
        permission.settings = settings;
        auto page = showPage(ChrometOnboarding::steps("⌃⌥C", &permission)[1]);
        auto *step = qobject_cast<ScreenRecordingStep *>(page.get());
        QVERIFY(step);
        QCOMPARE(step->isGranted(), granted);
        const QStringList texts = shownTexts(page.get());
        QCOMPARE(texts.first(), "Let Chromet see your screen");
        QCOMPARE(texts.last(), status);
        QCOMPARE(shownSymbols(page.get()), symbols);
        auto *open = page->findChild<QPushButton *>("openSettings");
        QCOMPARE(open->isVisibleTo(page.get()), !granted && settings);
    }

    void openSettingsRequestsOnceAndHiddenPagesStopChecking() {
        FakePermission permission;
        auto page = showPage(ChrometOnboarding::steps("⌃⌥C", &permission)[1]);
        auto *open = page->findChild<QPushButton *>("openSettings");
        open->click();
        open->click();
        QCOMPARE(permission.requests, 1);
        QCOMPARE(permission.settingsOpened, 2);
        QVERIFY(qobject_cast<ScreenRecordingStep *>(page.get())->hasRequested());

        page->hide();
        const int checks = permission.checks;
        QTest::qWait(1300);
        QCOMPARE(permission.checks, checks);
    }

    void shortcutPage() {
        FakePermission permission;
        const QString hotKey = u"Ctrl+Alt+C"_s;
        auto page = showPage(ChrometOnboarding::steps(hotKey, &permission)[2]);
        auto *badge = page->findChild<ShortcutBadge *>();
        QVERIFY(badge);
        QCOMPARE(badge->text(), hotKey);
        QCOMPARE(shownTexts(page.get()),
                 (QStringList{"Press it anywhere",
                              "Click, Return or Space picks the color under the loupe.",
                              "Arrow keys move one pixel; hold Shift for ten.",
                              "Esc or a right-click cancels.",
                              "Recent colors, every format and your palettes are in the tray "
                              "menu."}));
        QCOMPARE(shownSymbols(page.get()),
                 (QStringList{"cursorarrow.click", "arrow.up.and.down.and.arrow.left.and.right",
                              "escape", "menubar.arrow.up.rectangle"}));
    }

    // Where no shortcut can be grabbed, no badge claims one works: the page offers the command a
    // desktop key binding can run.
    void shortcutPageWithoutGrabbing() {
        qunsetenv("XDG_CURRENT_DESKTOP");
        FakePermission permission;
        auto page = showPage(ChrometOnboarding::steps("Ctrl+Alt+C", &permission, false)[2]);
        QVERIFY(!page->findChild<ShortcutBadge *>());
        const QStringList texts = shownTexts(page.get());
        QCOMPARE(
            texts.mid(0, 2),
            (QStringList{
                "Bind a key to pick",
                DesktopKeyBinding::current("Chromet", "chromet pick", "Ctrl+Alt+C").explanation}));
        QVERIFY(!texts.join(' ').contains("Ctrl+Alt+C"));
        QCOMPARE(page->findChild<CommandBinding *>()->command(), u"chromet pick"_s);
    }
};

QTEST_MAIN(tst_OnboardingSteps)
#include "tst_OnboardingSteps.moc"
