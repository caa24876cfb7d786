#include "Chromet/Onboarding/OnboardingSteps.h"
#include "Chromet/Picking/X11/X11PermissionChecker.h"
#include "OnboardingTestSupport.h"
#include "OrinOnboarding/OnboardingView.h"
#include "OrinOnboarding/OnboardingWindowController.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

// On X11 the screen can always be read: the permission page is granted as soon as it shows and
// never blocks.
class tst_X11OnboardingPermission : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void permissionPageIsGrantedAtOnce() {
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
        X11PermissionChecker permission;
        int finished = 0;
        OnboardingWindowController onboarding(ChrometOnboarding::windowTitle(),
                                              ChrometOnboarding::windowSize, [&] { ++finished; });
        onboarding.show(ChrometOnboarding::steps("⌃⌥C", &permission), 1,
                        ChrometOnboarding::finishTitle());
        QVERIFY(QTest::qWaitForWindowExposed(onboarding.window()));
        OnboardingView *view = onboarding.view();
        QCOMPARE(view->currentStep()->id, "screenRecording");
        QVERIFY(shownTexts(view).contains("Access granted"));
        QVERIFY(!view->skipButton()->isVisibleTo(view));
        QVERIFY(!view->findChild<QPushButton *>("openSettings")->isVisibleTo(view));

        onboarding.window()->close();
        QCOMPARE(finished, 1);
    }
};

CHROMET_X11_TEST_MAIN(tst_X11OnboardingPermission)
#include "tst_X11OnboardingPermission.moc"
