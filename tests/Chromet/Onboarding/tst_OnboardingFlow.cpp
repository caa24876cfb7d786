#include "Chromet/App/Preferences.h"
#include "Chromet/Onboarding/OnboardingSteps.h"
#include "OnboardingTestSupport.h"
#include "OrinOnboarding/OnboardingView.h"
#include "OrinOnboarding/OnboardingWindowController.h"
#include "Support/FakePermission.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The onboarding as the application runs it: the window, the three pages, and finishing that
// records itself in the preferences.
class tst_OnboardingFlow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Preferences> m_prefs;
    FakePermission m_permission;
    std::unique_ptr<OnboardingWindowController> m_onboarding;
    int m_finishes = 0;

    QString prefsPath() const { return m_dir.filePath("Chromet/Chromet.conf"); }

    // What the delegate does to show onboarding.
    void showOnboarding() {
        if (!m_onboarding) {
            m_onboarding = std::make_unique<OnboardingWindowController>(
                ChrometOnboarding::windowTitle(), ChrometOnboarding::windowSize, [this] {
                    ++m_finishes;
                    m_prefs->setHasCompletedOnboarding(true);
                    m_onboarding.release()->deleteLater();
                });
        }
        m_onboarding->show(
            ChrometOnboarding::steps(m_prefs->hotKey().displayString(), &m_permission), 0,
            ChrometOnboarding::finishTitle());
    }

    OnboardingView *view() const { return m_onboarding ? m_onboarding->view() : nullptr; }
    bool skipShown() const { return view()->skipButton()->isVisibleTo(view()); }

private Q_SLOTS:
    void init() {
        QVERIFY(m_dir.isValid());
        m_prefs = std::make_unique<Preferences>(prefsPath());
        m_permission = FakePermission();
        m_finishes = 0;
    }
    void cleanup() {
        m_onboarding.reset();
        m_prefs.reset();
        QFile::remove(prefsPath());
    }

    void walkThroughAndStart() {
        QVERIFY(!m_prefs->hasCompletedOnboarding());
        showOnboarding();
        QPointer<QWidget> window = m_onboarding->window();
        QCOMPARE(window->windowTitle(), "Welcome to Chromet");
        QCOMPARE(window->size(), QSize(500, 400));
        QVERIFY(QTest::qWaitForWindowActive(window));

        QCOMPARE(view()->currentStep()->id, "welcome");
        QVERIFY(shownTexts(view()).contains("Welcome to Chromet"));
        QVERIFY(!skipShown());
        QCOMPARE(view()->mainButton()->text(), "Continue");

        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(view()->currentStep()->id, "screenRecording");
        QVERIFY(skipShown());
        QVERIFY(shownTexts(view()).contains("Let Chromet see your screen"));
        view()->skipButton()->click();

        QCOMPARE(view()->currentStep()->id, "shortcut");
        QVERIFY(shownTexts(view()).contains("Press it anywhere"));
        QCOMPARE(view()->mainButton()->text(), "Start Using Chromet");
        QVERIFY(!m_prefs->hasCompletedOnboarding());

        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(m_finishes, 1);
        QVERIFY(m_prefs->hasCompletedOnboarding());
        QTRY_VERIFY(!window);
        // Recorded for the next launch.
        QVERIFY(Preferences(prefsPath()).hasCompletedOnboarding());
    }

    void grantingWhileShowingRemovesSkip() {
        showOnboarding();
        view()->advance();
        QVERIFY(skipShown());
        QVERIFY(!shownTexts(view()).contains("Access granted"));
        m_permission.granted = true;
        QTRY_VERIFY_WITH_TIMEOUT(!skipShown() && shownTexts(view()).contains("Access granted"),
                                 2500);
    }

    void closingOnTheFirstPageFinishes() {
        showOnboarding();
        QPointer<QWidget> window = m_onboarding->window();
        window->close();
        QCOMPARE(m_finishes, 1);
        QVERIFY(m_prefs->hasCompletedOnboarding());
        QTRY_VERIFY(!window);
        QVERIFY(Preferences(prefsPath()).hasCompletedOnboarding());
    }
};

QTEST_MAIN(tst_OnboardingFlow)
#include "tst_OnboardingFlow.moc"
