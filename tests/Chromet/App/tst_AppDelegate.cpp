#include "Support/DelegateFixture.h"

#include "Chromet/App/CopyFeedback.h"
#include "Chromet/Library/LibraryStore.h"
#include "Chromet/Picking/LoupeController.h"
#include "Chromet/Settings/TraylessSection.h"
#include "OrinMenuBar/StatusItemController.h"
#include "OrinOnboarding/OnboardingView.h"
#include "OrinOnboarding/OnboardingWindowController.h"
#include "OrinSettings/SettingsWindow.h"
#include "OrinSettings/SettingsWindowController.h"
#include "Support/PortalBus.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSettings>
#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ActivationPolicy)

class tst_AppDelegate : public DelegateFixture {
    Q_OBJECT

private Q_SLOTS:
    void init() { setUpDelegate(); }
    void cleanup() { tearDownDelegate(); }
    void launchRegistersTheShortcutAndWritesNothing() {
        AppDelegate &delegate = makeDelegate();
        QFile settingsFile(m_prefs->path());
        QVERIFY(settingsFile.open(QIODevice::ReadOnly));
        const QByteArray settingsBefore = settingsFile.readAll();
        settingsFile.close();
        delegate.applicationDidFinishLaunching();
        QCOMPARE(m_desk.registered.values(), QList<HotKeyCombo>{ctrlAltC});
        QVERIFY(m_presenter->alerts.isEmpty());
        // Nothing was written at launch: no library file, no settings.
        QVERIFY(!QFile::exists(delegate.store()->path()));
        QVERIFY(settingsFile.open(QIODevice::ReadOnly));
        QCOMPARE(settingsFile.readAll(), settingsBefore);
    }
    void launchWarmsUpOnlyWithPermission_data() {
        QTest::addColumn<bool>("granted");
        QTest::newRow("granted") << true;
        QTest::newRow("not granted") << false;
    }
    void launchWarmsUpOnlyWithPermission() {
        QFETCH(bool, granted);
        AppDelegate &delegate = makeDelegate();
        m_permission->answers = {granted};
        delegate.applicationDidFinishLaunching();
        QVERIFY(m_capturer);
        QCOMPARE(m_capturer->warmUpCount(), granted ? 1 : 0);
    }
    void refusedAtLaunchAlertsAndLeavesThePreference_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("settingsShown");
        QTest::newRow("Open Settings") << 0 << u"General"_s;
        QTest::newRow("Later") << 1 << QString();
    }
    void refusedAtLaunchAlertsAndLeavesThePreference() {
        QFETCH(int, answer);
        QFETCH(QString, settingsShown);
        m_desk.refused.insert(ctrlAltC.keyCode);
        AppDelegate &delegate = makeDelegate();
        m_presenter->alertAnswers = {answer};

        QTest::ignoreMessage(QtWarningMsg, "Chromet: could not register shortcut Ctrl+Alt+C");
        delegate.applicationDidFinishLaunching();

        QCOMPARE(m_presenter->alerts.size(), 1);
        const AlertSpec &alert = m_presenter->alerts.first();
        QCOMPARE(alert.messageText, u"Ctrl+Alt+C is already in use by another app"_s);
        QCOMPARE(
            alert.informativeText,
            QStringLiteral(
                "Choose a different shortcut in Settings, or use Pick Color from the tray menu."));
        QCOMPARE(alert.buttons, (QStringList{u"Open Settings"_s, u"Later"_s}));
        // "Open Settings" opens the settings window on the General page.
        QCOMPARE(settingsTitle(), settingsShown);

        QVERIFY(!delegate.hotKey());
        QVERIFY(!storedSettings().contains(u"hotKey"_s));
        QVERIFY(delegate.statusItem()); // the launch goes on
    }
    void refusedChangeKeepsTheWorkingShortcut() {
        AppDelegate &delegate = makeDelegate();
        delegate.applicationDidFinishLaunching();
        HotKey *working = delegate.hotKey();
        QVERIFY(working);
        m_desk.refused.insert(ctrlAltX.keyCode);
        m_desk.attempts.clear();

        QTest::ignoreMessage(QtWarningMsg, "Chromet: could not register shortcut Ctrl+Alt+X");
        m_prefs->setHotKey(ctrlAltX);

        QCOMPARE(m_presenter->alerts.size(), 1);
        const AlertSpec &alert = m_presenter->alerts.first();
        QCOMPARE(alert.messageText, u"Ctrl+Alt+X is already in use"_s);
        QCOMPARE(alert.informativeText,
                 u"Another app uses this shortcut, so Chromet kept Ctrl+Alt+C."_s);
        QVERIFY(alert.buttons.isEmpty());

        QCOMPARE(m_prefs->hotKey(), ctrlAltC);
        QCOMPARE(HotKeyCombo::fromJsonBytes(storedSettings().value("hotKey").toByteArray()),
                 std::optional(ctrlAltC));
        QCOMPARE(delegate.hotKey(), working);
        // Restoring the preference announced it again, but Ctrl+Alt+C was not registered twice.
        QCOMPARE(m_desk.attemptedCombos(), QList<HotKeyCombo>{ctrlAltX});
    }
    void changedShortcutReplacesTheRegistration() {
        AppDelegate &delegate = makeDelegate();
        delegate.applicationDidFinishLaunching();
        // Assigning the registered shortcut again registers nothing.
        HotKey *registered = delegate.hotKey();
        m_prefs->setHotKey(ctrlAltC);
        QCOMPARE(m_desk.attemptedCombos(), QList<HotKeyCombo>{ctrlAltC});
        QCOMPARE(delegate.hotKey(), registered);

        m_prefs->setHotKey(ctrlAltV);
        QCOMPARE(m_desk.registered.values(), QList<HotKeyCombo>{ctrlAltV});
    }
    // The desktop answers later: the working shortcut stays until then; a refusal keeps it and
    // says so, a grant replaces it, and a grant to a request overtaken meanwhile is let go.
    void lateShortcutAnswers() {
        AppDelegate &delegate = makeDelegate();
        delegate.applicationDidFinishLaunching();
        HotKey *working = delegate.hotKey();
        QVERIFY(working);
        m_desk.answerLater = true;
        m_desk.refused.insert(ctrlAltX.keyCode);

        m_prefs->setHotKey(ctrlAltX);
        QCOMPARE(delegate.hotKey(), working);
        QVERIFY(m_presenter->alerts.isEmpty());
        QTest::ignoreMessage(QtWarningMsg, "Chromet: could not register shortcut Ctrl+Alt+X");
        m_desk.answerPending();
        QCOMPARE(m_presenter->alerts.size(), 1);
        QCOMPARE(m_presenter->alerts.first().informativeText,
                 u"Another app uses this shortcut, so Chromet kept Ctrl+Alt+C."_s);
        QCOMPARE(m_prefs->hotKey(), ctrlAltC);
        QCOMPARE(delegate.hotKey(), working);

        m_prefs->setHotKey(ctrlAltV);
        m_prefs->setHotKey(ctrlAltC);
        m_desk.answerPending();
        QCOMPARE(delegate.hotKey(), working);
        QCOMPARE(m_desk.registered.values(), QList<HotKeyCombo>{ctrlAltC});

        m_prefs->setHotKey(ctrlAltV);
        QCOMPARE(delegate.registeredCombo(), std::optional(ctrlAltC));
        m_desk.answerPending();
        QCOMPARE(delegate.registeredCombo(), std::optional(ctrlAltV));
        QCOMPARE(m_desk.registered.values(), QList<HotKeyCombo>{ctrlAltV});
        QCOMPARE(m_presenter->alerts.size(), 1);
    }
    // The permission answers later: nothing shows until it does, requests meanwhile join the
    // one asked; a refusal then alerts, a grant then opens the loupe.
    void latePermissionAnswers() {
        AppDelegate &delegate = makeDelegate();
        delegate.applicationDidFinishLaunching();
        m_permission->answerLater = true;
        m_permission->answers = {false};
        delegate.startPick();
        delegate.startPick();
        QCOMPARE(m_permission->pending.size(), 1);
        m_permission->answerPending(); // no; the alert asks again
        m_permission->answerPending();
        QCOMPARE(m_presenter->alerts.size(), 1);
        QVERIFY(!delegate.loupe()->isShowing());

        m_permission->answers = {true};
        delegate.startPick();
        QVERIFY(!delegate.loupe()->isShowing());
        m_permission->answerPending();
        QVERIFY(delegate.loupe()->isShowing());
    }
    void screenRecordingAlertShowsOneAtATime_data() {
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("informative");
        QTest::addColumn<int>("settingsOpened");
        const QString turnOn = u"Turn on Chromet in Settings → Apps → Chromet → Screenshots."_s;
        const QString restart = QStringLiteral("Screen Recording looks on, but your desktop "
                                               "applies it only after Chromet restarts. Quit "
                                               "and reopen Chromet. If it's off in Settings → Apps "
                                               "→ Chromet → Screenshots, turn it on "
                                               "first.");
        QTest::newRow("off, Open Settings") << QList<bool>{false} << 0 << turnOn << 1;
        QTest::newRow("off, Cancel") << QList<bool>{false} << 1 << turnOn << 0;
        // Refused before the pick, granted when the alert asks again: it needs a restart.
        QTest::newRow("looks on") << QList<bool>{false, true} << 1 << restart << 0;
    }
    void screenRecordingAlertShowsOneAtATime() {
        QFETCH(QList<bool>, answers);
        QFETCH(int, button);
        QFETCH(QString, informative);
        QFETCH(int, settingsOpened);
        AppDelegate &delegate = makeDelegate();
        delegate.applicationDidFinishLaunching();
        m_permission->answers = answers;
        m_presenter->alertAnswers = {button};
        bool showingDuring = false;
        m_presenter->during = [&] {
            showingDuring = delegate.permissionAlertShowing();
            m_permission->answers = {false};
            // More requests while the alert is open: the shortcut again, twice.
            delegate.startPick();
            delegate.startPick();
        };

        delegate.startPick();

        QCOMPARE(m_presenter->alerts.size(), 1);
        const AlertSpec &alert = m_presenter->alerts.first();
        QCOMPARE(alert.messageText, u"Chromet needs Screen Recording to read colors"_s);
        QCOMPARE(alert.informativeText, informative);
        QCOMPARE(alert.buttons, (QStringList{u"Open Settings"_s, u"Cancel"_s}));
        QVERIFY(showingDuring);
        QVERIFY(!delegate.permissionAlertShowing());
        QCOMPARE(m_permission->settingsOpened, settingsOpened);
        QVERIFY(!delegate.loupe()->isShowing());

        // Once it is closed the next request shows it again.
        m_permission->answers = {false};
        delegate.startPick();
        QCOMPARE(m_presenter->alerts.size(), 2);
    }
    void captureFailureAlertsOnceWhileShowing() {
        AppDelegate &delegate = makeDelegate();
        // No warm-up, so every capture counted below is a pick's.
        m_permission->answers = {false};
        delegate.applicationDidFinishLaunching();
        m_permission->answers = {true};
        m_capturer->setDisplayCaptureError(u"no screen"_s);
        m_presenter->during = [&] {
            // A second pick fails as well while the first failure's alert is open.
            delegate.startPick();
            QTRY_COMPARE(m_capturer->displayCaptureCount(), 2);
            QTRY_VERIFY(!delegate.loupe()->isShowing());
        };

        delegate.startPick();
        QVERIFY(delegate.loupe()->isShowing());
        QTRY_COMPARE(m_presenter->alerts.size(), 1);
        QTRY_VERIFY(!delegate.permissionAlertShowing());
        QCOMPARE(m_presenter->alerts.size(), 1);
        // The permission looks granted, so the alert says a restart is needed.
        QVERIFY(
            m_presenter->alerts.first().informativeText.startsWith(u"Screen Recording looks on"_s));
        QVERIFY(m_copied.isEmpty());
    }
    // Where the desktop has no setting for screen reading: what failed and what helps, and no
    // button that cannot act.
    void captureProblemWithoutASetting_data() {
        QTest::addColumn<QString>("captureError"); // empty: the check before the pick says no
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("informative");
        QTest::newRow("denied before the pick") << QString() << "Chromet can't read the screen"
                                                << "The test denies it.";
        QTest::newRow("capture failed")
            << "shared memory is gone"
            << "Chromet couldn't read the screen"
            << "Shared memory is gone. Try again; if it keeps failing, quit and reopen Chromet.";
    }
    void captureProblemWithoutASetting() {
        QFETCH(QString, captureError);
        QFETCH(QString, message);
        QFETCH(QString, informative);
        AppDelegate &delegate = makeDelegate();
        m_permission->settings = false;
        m_permission->answers = {!captureError.isEmpty()};
        delegate.applicationDidFinishLaunching();
        m_capturer->setDisplayCaptureError(captureError);
        std::optional<std::optional<PickedColor>> result;
        delegate.pickThen([&](const std::optional<PickedColor> &color) { result = color; });
        QTRY_COMPARE(m_presenter->alerts.size(), 1);
        const AlertSpec &alert = m_presenter->alerts.first();
        QCOMPARE(alert.messageText, message);
        QCOMPARE(alert.informativeText, informative);
        QVERIFY(alert.buttons.isEmpty());
        QCOMPARE(m_permission->settingsOpened, 0);
        // A caller waiting for the pick hears that it ended without a color.
        QVERIFY(result && !*result);
    }
    // No shortcut service at all, or one that stops granting any while asked (a desktop portal
    // refusing): nothing was refused by another app, so no alert says so.
    void withoutShortcutServiceNoAlert_data() {
        QTest::addColumn<bool>("stopsWhileAsked");
        QTest::newRow("no service") << false;
        QTest::newRow("stops while asked") << true;
    }
    void withoutShortcutServiceNoAlert() {
        QFETCH(bool, stopsWhileAsked);
        m_desk.canGrab = stopsWhileAsked;
        m_desk.answerLater = true;
        m_desk.refused.insert(ctrlAltC.keyCode);
        AppDelegate &delegate = makeDelegate();
        delegate.applicationDidFinishLaunching();
        m_desk.canGrab = false;
        m_desk.answerPending();
        QVERIFY(m_presenter->alerts.isEmpty());
        QCOMPARE(m_desk.attempts.size(), stopsWhileAsked ? 1 : 0);
        QVERIFY(!delegate.hotKey());
    }
    // Where the desktop's own picker stands in for the loupe, its color is a pick like any
    // other: recorded and copied, and acknowledged on the icon as no loupe label shows it. A
    // request while it is open joins it.
    void portalPickIsRecordedCopiedAndAcknowledged() {
        PortalBus bus;
        QVERIFY2(bus.start(true, {u"--color"_s, u"1,0,0.2"_s}), qPrintable(bus.errorString()));
        m_makePortalPicker = [&bus] {
            return PortalColorPicker::create(bus.connection());
        };
        AppDelegate &delegate = makeDelegate(false);
        delegate.applicationDidFinishLaunching();
        // No screen access of ours to ask for at the first launch.
        QCOMPARE(delegate.onboarding()->view()->count(), 2);
        std::optional<std::optional<PickedColor>> result;
        delegate.pickThen([&](const std::optional<PickedColor> &color) { result = color; });
        QTRY_VERIFY(result);
        QVERIFY(*result);
        QCOMPARE(result->value().srgb, (RGB{1, 0, 0.2}));
        QCOMPARE(delegate.store()->library().history, QList<PickedColor>{result->value()});
        QCOMPARE(m_copied, QStringList{u"#FF0033"_s});
        QVERIFY(delegate.copyFeedback()->isShowing());
        QVERIFY(!delegate.loupe()->isShowing());
        // Why the desktop's picker appears is said before the first pick only.
        QCOMPARE(m_presenter->alerts.size(), 1);
        result.reset();
        delegate.startPick();
        delegate.pickThen([&](const std::optional<PickedColor> &color) { result = color; });
        QTRY_VERIFY(result);
        QCOMPARE(m_presenter->alerts.size(), 1);
        QCOMPARE(m_copied.size(), 2);
    }
    // A desktop that declines the screenshot (its portal said no) has its own picker take the
    // pick, whose caller hears the color, and the later picks without asking for the screen.
    void declinedScreenshotFallsBackToTheDesktopPicker() {
        PortalBus bus;
        QVERIFY2(bus.start(true, {u"--color"_s, u"1,0,0.2"_s}), qPrintable(bus.errorString()));
        m_makeFallbackPicker = [&bus] {
            return PortalColorPicker::create(bus.connection());
        };
        AppDelegate &delegate = makeDelegate();
        delegate.applicationDidFinishLaunching();
        m_capturer->setDisplayCaptureError(u"the desktop refused the screenshot"_s, true);
        std::optional<std::optional<PickedColor>> result;
        delegate.pickThen([&](const std::optional<PickedColor> &color) { result = color; });
        QTRY_VERIFY(result);
        QVERIFY(*result);
        QCOMPARE(result->value().srgb, (RGB{1, 0, 0.2}));
        QCOMPARE(m_copied, QStringList{u"#FF0033"_s});
        // The notice on the desktop's picker, and no alert on the screen.
        QCOMPARE(m_presenter->alerts.size(), 1);
        QCOMPARE(m_presenter->alerts.first().messageText,
                 u"Chromet picks with your desktop's color picker"_s);
        const int captures = m_capturer->displayCaptureCount();
        result.reset();
        delegate.pickThen([&](const std::optional<PickedColor> &color) { result = color; });
        QTRY_VERIFY(result && *result);
        QCOMPARE(m_capturer->displayCaptureCount(), captures);
    }
    void focusGoesBackAfterAModal_data() {
        QTest::addColumn<bool>("hadFocus");
        QTest::addColumn<bool>("ownWindowHadIt");
        QTest::addColumn<bool>("titledWindowOpen");
        QTest::addColumn<bool>("givenBack");
        QTest::newRow("another application's window") << true << false << false << true;
        QTest::newRow("no window had the focus") << false << false << false << false;
        QTest::newRow("our own window had it") << true << true << false << false;
        QTest::newRow("a titled window of ours stays open") << true << false << true << false;
    }
    void focusGoesBackAfterAModal() {
        QFETCH(bool, hadFocus);
        QFETCH(bool, ownWindowHadIt);
        QFETCH(bool, titledWindowOpen);
        QFETCH(bool, givenBack);
        AppDelegate &delegate = makeDelegate();
        delegate.applicationDidFinishLaunching();

        QWidget own;
        own.setWindowTitle(u"Settings"_s);
        if (titledWindowOpen) {
            own.show();
            QVERIFY(QTest::qWaitForWindowExposed(&own));
        }
        const WId foreign = 0x5a00007;
        if (hadFocus)
            m_focus->active = ownWindowHadIt ? own.winId() : foreign;

        const int answer = delegate.runAlert({u"Message"_s, {}, {}});
        QCOMPARE(answer, 0);
        QCOMPARE(m_focus->activated, givenBack ? QList<WId>{foreign} : QList<WId>{});
    }
    void trayMenuPicksAfterItClosesAndIsBuiltAfresh() {
        AppDelegate &delegate = makeDelegate();
        delegate.applicationDidFinishLaunching();
        QMenu *menu = delegate.statusItem()->menu();
        delegate.statusItem()->menuNeedsUpdate();

        const QList<QAction *> actions = menu->actions();
        QCOMPARE(actions.first()->text(), u"Pick Color\tCtrl+Alt+C"_s);

        // Pick Color waits for the menu to close before it starts.
        m_permission->answers = {false};
        actions.first()->trigger();
        QVERIFY(m_presenter->alerts.isEmpty());
        QTRY_COMPARE(m_presenter->alerts.size(), 1);

        // The menu is built afresh: a new shortcut shows at the next opening.
        m_prefs->setHotKey(ctrlAltV);
        delegate.statusItem()->menuNeedsUpdate();
        QCOMPARE(menu->actions().first()->text(), u"Pick Color\tCtrl+Alt+V"_s);
    }
    void finishingOnboardingIsRememberedAndWarmsUp() {
        AppDelegate &delegate = makeDelegate(false);
        delegate.applicationDidFinishLaunching();
        QVERIFY(delegate.onboarding()->window()->isVisible());
        QCOMPARE(m_capturer->warmUpCount(), 1);
        delegate.onboarding()->window()->close();
        QVERIFY(m_prefs->hasCompletedOnboarding());
        QVERIFY(!delegate.onboarding());
        QCOMPARE(m_capturer->warmUpCount(), 2);
    }
    void launchAppliesTheTaskbarPolicy_data() {
        QTest::addColumn<bool>("showDockIcon");
        QTest::addColumn<ActivationPolicy>("policy");
        QTest::newRow("shown") << true << ActivationPolicy::regular;
        QTest::newRow("tray only") << false << ActivationPolicy::accessory;
    }
    void launchAppliesTheTaskbarPolicy() {
        QFETCH(bool, showDockIcon);
        QFETCH(ActivationPolicy, policy);
        m_prefs->setShowDockIcon(showDockIcon);
        AppDelegate &delegate = makeDelegate();
        delegate.applicationDidFinishLaunching();
        QCOMPARE(DockIcon::activationPolicy(), policy);
    }
    void settingsWindowIsMadeOnceAndKept() {
        AppDelegate &delegate = makeDelegate();
        delegate.applicationDidFinishLaunching();
        delegate.statusItem()->menuNeedsUpdate();
        QAction *settings = menuItem(u"Settings…"_s);
        QVERIFY(settings);
        settings->trigger();
        SettingsWindowController *controller = delegate.settingsWindow();
        QVERIFY(controller);
        QVERIFY(controller->window()->isVisible());

        // Closing keeps it; a page asked for is selected, and the same controller shows it again.
        controller->window()->close();
        delegate.openSettings(u"about"_s);
        QCOMPARE(delegate.settingsWindow(), controller);
        QCOMPARE(settingsTitle(), u"About"_s);
    }
    void withoutATrayTheSettingsAreTheWayIn() {
        m_trayAvailable = false;
        AppDelegate &delegate = makeDelegate();
        delegate.applicationDidFinishLaunching();
        QVERIFY(!delegate.isWithoutTray());
        QTRY_VERIFY_WITH_TIMEOUT(delegate.isWithoutTray(), 4 * AppDelegate::trayGraceMs);

        // The first launch opens the General page and says why, once.
        QCOMPARE(settingsTitle(), u"General"_s);
        QCOMPARE(m_presenter->alerts.size(), 1);
        QCOMPARE(m_presenter->alerts.first().messageText, u"No system tray found"_s);
        QVERIFY(m_presenter->alerts.first().informativeText.contains(u"Ctrl+Alt+C"_s));
        QVERIFY(m_prefs->hasSeenNoTrayNotice());
        auto *section = delegate.settingsWindow()->window()->findChild<TraylessSection *>();
        QVERIFY(section);
        // Its Pick Color starts a pick like the shortcut (here it meets the missing permission).
        m_permission->answers = {false};
        section->pickButton()->click();
        QCOMPARE(m_presenter->alerts.size(), 2);
        QCOMPARE(m_presenter->alerts.last().messageText,
                 u"Chromet needs Screen Recording to read colors"_s);

        // The next launch stays quiet until the window is asked for.
        makeDelegate().applicationDidFinishLaunching();
        QTRY_VERIFY_WITH_TIMEOUT(m_delegate->isWithoutTray(), 4 * AppDelegate::trayGraceMs);
        QVERIFY(!m_delegate->settingsWindow());
        QVERIFY(m_presenter->alerts.isEmpty());
        m_delegate->openSettings(u"general"_s);
        QVERIFY(m_delegate->settingsWindow()->window()->findChild<TraylessSection *>());
    }
    void aTrayShownLateIsWaitedFor() {
        m_trayAvailable = false;
        AppDelegate &delegate = makeDelegate();
        delegate.applicationDidFinishLaunching();
        m_trayAvailable = true;
        // The launch asked once; the second question comes when the grace ends.
        QTRY_COMPARE_WITH_TIMEOUT(m_trayQuestions, 2, 4 * AppDelegate::trayGraceMs);
        QVERIFY(!delegate.isWithoutTray());
        QVERIFY(!delegate.settingsWindow());
        QVERIFY(m_presenter->alerts.isEmpty());
    }
    void checkForUpdatesIsOfferedWhenAvailable_data() {
        QTest::addColumn<bool>("available");
        QTest::newRow("available") << true;
        QTest::newRow("not available") << false;
    }
    void checkForUpdatesIsOfferedWhenAvailable() {
        QFETCH(bool, available);
        AppDelegate &delegate = makeDelegate();
        m_updater->available = available;
        delegate.applicationDidFinishLaunching();
        delegate.statusItem()->menuNeedsUpdate();
        QAction *check = menuItem(u"Check for Updates…"_s);
        QCOMPARE(check != nullptr, available);
        if (check) {
            check->trigger();
            QCOMPARE(m_updater->checks, 1);
        }
    }

private:
    QAction *menuItem(const QString &title) const {
        const QList<QAction *> actions = m_delegate->statusItem()->menu()->actions();
        const auto it = std::find_if(actions.cbegin(), actions.cend(),
                                     [&](const QAction *a) { return a->text() == title; });
        return it == actions.cend() ? nullptr : *it;
    }
    QString settingsTitle() const {
        const SettingsWindowController *settings = m_delegate->settingsWindow();
        return settings && settings->window() && settings->window()->isVisible()
                   ? settings->window()->windowTitle()
                   : QString();
    }
    QSettings storedSettings() const {
        return QSettings(m_dir->filePath(u"Chromet.conf"_s), QSettings::IniFormat);
    }
};

QTEST_MAIN(tst_AppDelegate)
#include "tst_AppDelegate.moc"
