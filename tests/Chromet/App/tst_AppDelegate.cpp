// The tray application's delegate on stand-ins (DelegateFixture): its launch, the shortcut's
// registration, the permission and capture alerts, the focus after a dialog, and the tray menu's
// commands as the user reaches them, on a real library file with the dialogs answered by a script.

#include "Support/DelegateFixture.h"
#include "Support/PortalBus.h"
#include "Support/TestFiles.h"

#include "Chromet/App/CopyFeedback.h"
#include "Chromet/App/LibraryCommands.h"
#include "Chromet/Contrast/ContrastPanel.h"
#include "Chromet/Contrast/ContrastViewState.h"
#include "Chromet/Library/LibraryStore.h"
#include "Chromet/Picking/LoupeController.h"
#include "Chromet/Settings/TraylessSection.h"
#include "OrinMenuBar/StatusItemController.h"
#include "OrinOnboarding/OnboardingView.h"
#include "OrinOnboarding/OnboardingWindowController.h"
#include "OrinSettings/SettingsWindow.h"
#include "OrinSettings/SettingsWindowController.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ActivationPolicy)

namespace {

const PickedColor navy{{0.2, 0.4, 0.6}, {0.2, 0.4, 0.6}};
const PickedColor coral{{1.0, 0.5, 0.3}, {1.0, 0.5, 0.3}};

} // namespace

class tst_AppDelegate : public DelegateFixture {
    Q_OBJECT

private Q_SLOTS:
    void init() { setUpDelegate(); }
    void cleanup() { tearDownDelegate(); }

    void launchRegistersTheShortcutAndWritesNothing() {
        AppDelegate &delegate = makeDelegate();
        const QByteArray settingsBefore = readAll(m_prefs->path());
        delegate.applicationDidFinishLaunching();
        QCOMPARE(m_desk.registered.values(), QList<HotKeyCombo>{ctrlAltC});
        QVERIFY(m_presenter->alerts.isEmpty());
        QVERIFY(!delegate.onboarding());
        QVERIFY(!QFile::exists(delegate.store()->path()));
        QCOMPARE(readAll(m_prefs->path()), settingsBefore);
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
        QCOMPARE(m_capturer->warmUpCount(), granted ? 1 : 0);
    }
    void finishingOnboardingIsRememberedAndWarmsUp() {
        AppDelegate &delegate = launched(false);
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
        launched();
        QCOMPARE(DockIcon::activationPolicy(), policy);
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

        const AlertSpec expected{
            u"Ctrl+Alt+C is already in use by another app"_s,
            u"Choose a different shortcut in Settings, or use Pick Color from the tray menu."_s,
            {u"Open Settings"_s, u"Later"_s}};
        QCOMPARE(m_presenter->alerts, QList<AlertSpec>{expected});
        QCOMPARE(settingsTitle(), settingsShown);
        QVERIFY(!delegate.hotKey());
        QVERIFY(!storedSettings().contains(u"hotKey"_s));
        QVERIFY(delegate.statusItem()); // the launch goes on
    }
    void refusedChangeKeepsTheWorkingShortcut() {
        AppDelegate &delegate = launched();
        HotKey *working = delegate.hotKey();
        QVERIFY(working);
        m_desk.refused.insert(ctrlAltX.keyCode);
        m_desk.attempts.clear();
        QTest::ignoreMessage(QtWarningMsg, "Chromet: could not register shortcut Ctrl+Alt+X");
        m_prefs->setHotKey(ctrlAltX);

        const AlertSpec expected{u"Ctrl+Alt+X is already in use"_s,
                                 u"Another app uses this shortcut, so Chromet kept Ctrl+Alt+C."_s,
                                 {}};
        QCOMPARE(m_presenter->alerts, QList<AlertSpec>{expected});
        QCOMPARE(m_prefs->hotKey(), ctrlAltC);
        QCOMPARE(HotKeyCombo::fromJsonBytes(storedSettings().value("hotKey").toByteArray()),
                 std::optional(ctrlAltC));
        QCOMPARE(delegate.hotKey(), working);
        // Restoring the preference announced it again, but Ctrl+Alt+C was not registered twice.
        QCOMPARE(m_desk.attemptedCombos(), QList<HotKeyCombo>{ctrlAltX});
    }
    void changedShortcutReplacesTheRegistration() {
        AppDelegate &delegate = launched();
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
        AppDelegate &delegate = launched();
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
        AppDelegate &delegate = launched();
        m_desk.canGrab = false;
        m_desk.answerPending();
        QVERIFY(m_presenter->alerts.isEmpty());
        QCOMPARE(m_desk.attempts.size(), stopsWhileAsked ? 1 : 0);
        QVERIFY(!delegate.hotKey());
    }

    // The permission answers later: nothing shows until it does, requests meanwhile join the
    // one asked; a refusal then alerts, a grant then opens the loupe, and the next request (the
    // shortcut again) closes it without a color.
    void latePermissionAnswers() {
        AppDelegate &delegate = launched();
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
        delegate.startPick();
        QVERIFY(!delegate.loupe()->isShowing());
        QVERIFY(m_copied.isEmpty());
    }
    void screenRecordingAlertShowsOneAtATime_data() {
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("informative");
        QTest::addColumn<int>("settingsOpened");
        const QString turnOn = u"Turn on Chromet in Settings → Apps → Chromet → Screenshots."_s;
        const QString restart =
            u"Screen Recording looks on, but your desktop applies it only after Chromet restarts. "
            u"Quit and reopen Chromet. If it's off in Settings → Apps → Chromet → Screenshots, "
            u"turn it on first."_s;
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
        AppDelegate &delegate = launched();
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

        const AlertSpec expected{u"Chromet needs Screen Recording to read colors"_s,
                                 informative,
                                 {u"Open Settings"_s, u"Cancel"_s}};
        QCOMPARE(m_presenter->alerts, QList<AlertSpec>{expected});
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
        QTRY_COMPARE(m_presenter->alerts, (QList<AlertSpec>{{message, informative, {}}}));
        QCOMPARE(m_permission->settingsOpened, 0);
        // A caller waiting for the pick hears that it ended without a color.
        QVERIFY(result && !*result);
    }
    // Where the desktop's own picker stands in for the loupe, its color is a pick like any
    // other: recorded and copied, and acknowledged on the icon as no loupe label shows it. Why it
    // appears is said before the first pick only.
    void portalPickIsRecordedCopiedAndAcknowledged() {
        PortalBus bus;
        QVERIFY2(bus.start(true, {u"--color"_s, u"1,0,0.2"_s}), qPrintable(bus.errorString()));
        m_makePortalPicker = [&bus] {
            return PortalColorPicker::create(bus.connection());
        };
        AppDelegate &delegate = launched(false);
        // No screen access of ours to ask for at the first launch.
        QCOMPARE(delegate.onboarding()->view()->count(), 2);
        std::optional<std::optional<PickedColor>> result;
        delegate.pickThen([&](const std::optional<PickedColor> &color) { result = color; });
        QTRY_VERIFY(result);
        QCOMPARE(result->value().srgb, (RGB{1, 0, 0.2}));
        QCOMPARE(delegate.store()->library().history, QList<PickedColor>{result->value()});
        QCOMPARE(m_copied, QStringList{u"#FF0033"_s});
        QVERIFY(delegate.copyFeedback()->isShowing());
        QVERIFY(!delegate.loupe()->isShowing());
        QCOMPARE(m_presenter->alerts.size(), 1);
        result.reset();
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
        AppDelegate &delegate = launched();
        QWidget own;
        own.setWindowTitle(u"Settings"_s);
        if (titledWindowOpen) {
            own.show();
            QVERIFY(QTest::qWaitForWindowExposed(&own));
        }
        const WId foreign = 0x5a00007;
        if (hadFocus)
            m_focus->active = ownWindowHadIt ? own.winId() : foreign;
        QCOMPARE(delegate.runAlert({u"Message"_s, {}, {}}), 0);
        QCOMPARE(m_focus->activated, givenBack ? QList<WId>{foreign} : QList<WId>{});
    }

    void settingsWindowIsMadeOnceAndKept() {
        AppDelegate &delegate = launched();
        trigger({u"Settings…"_s});
        SettingsWindowController *controller = delegate.settingsWindow();
        QVERIFY(controller && controller->window()->isVisible());
        // Closing keeps it; a page asked for is selected, and the same controller shows it again.
        controller->window()->close();
        delegate.openSettings(u"about"_s);
        QCOMPARE(delegate.settingsWindow(), controller);
        QCOMPARE(settingsTitle(), u"About"_s);
    }
    void withoutATrayTheSettingsAreTheWayIn() {
        m_trayAvailable = false;
        AppDelegate &delegate = launched();
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
        launched();
        QTRY_VERIFY_WITH_TIMEOUT(m_delegate->isWithoutTray(), 4 * AppDelegate::trayGraceMs);
        QVERIFY(!m_delegate->settingsWindow());
        QVERIFY(m_presenter->alerts.isEmpty());
        m_delegate->openSettings(u"general"_s);
        QVERIFY(m_delegate->settingsWindow()->window()->findChild<TraylessSection *>());
    }
    void aTrayShownLateIsWaitedFor() {
        m_trayAvailable = false;
        AppDelegate &delegate = launched();
        m_trayAvailable = true;
        // The launch asked once; the second question comes when the grace ends.
        QTRY_COMPARE_WITH_TIMEOUT(m_trayQuestions, 2, 4 * AppDelegate::trayGraceMs);
        QVERIFY(!delegate.isWithoutTray());
        QVERIFY(!delegate.settingsWindow());
        QVERIFY(m_presenter->alerts.isEmpty());
    }

    // The menu is built afresh at every opening, from the library, the preferences and the
    // store's state; Pick Color waits for it to close.
    void menuIsBuiltAfreshAndPicksAfterItCloses() {
        AppDelegate &delegate = launch();
        m_permission->answers = {false};
        trigger({u"Pick Color\tCtrl+Alt+C"_s});
        QVERIFY(m_presenter->alerts.isEmpty());
        QTRY_COMPARE(m_presenter->alerts.size(), 1);

        m_prefs->setHotKey(ctrlAltV);
        QVERIFY(item({u"Pick Color\tCtrl+Alt+V"_s}));
        m_presenter->nameAnswers = {u"Ocean"_s};
        trigger({u"Favorites"_s, u"Rename Palette…"_s});
        QVERIFY(item({u"Ocean"_s}) && !item({u"Favorites"_s}));
        // A pick made meanwhile shows at the next opening, first; the default format titles it.
        trigger({u"Default Format"_s, u"OKLCH"_s});
        QCOMPARE(m_prefs->defaultFormat(), ColorFormat::oklch);
        const PickedColor lime{{0.5, 0.9, 0.1}, {0.5, 0.9, 0.1}};
        delegate.coordinator()->handlePick(lime);
        QVERIFY(item({}));
        const QList<QAction *> actions = delegate.statusItem()->menu()->actions();
        const auto recent = std::find_if(actions.cbegin(), actions.cend(),
                                         [](const QAction *a) { return a->text() == u"Recent"_s; });
        QVERIFY(recent + 1 < actions.cend());
        QCOMPARE((*(recent + 1))->text(), ColorFormats::labelText(ColorFormat::oklch, lime, false));

        // When saving fails (a folder stands where the file goes), the menu says so.
        QVERIFY(!item({u"History isn't being saved"_s}));
        QVERIFY(QFile::remove(delegate.store()->path()));
        QVERIFY(QDir().mkpath(delegate.store()->path()));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"^Chromet: failed to save library"_s));
        delegate.coordinator()->handlePick(navy);
        QVERIFY(!item({u"History isn't being saved"_s})->isEnabled());
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
        QAction *check = item({u"Check for Updates…"_s});
        QCOMPARE(check != nullptr, available);
        if (check)
            check->trigger();
        QCOMPARE(m_updater->checks, available ? 1 : 0);
    }
    // An open contrast checker follows the history.
    void contrastCheckerFollowsThePicks() {
        AppDelegate &delegate = launch();
        trigger({u"Contrast…"_s});
        QVERIFY(delegate.contrastPanel()->isVisible());
        delegate.coordinator()->handlePick(navy);
        QCOMPARE(delegate.contrastPanel()->holder()->state().history(),
                 (QList<PickedColor>{navy, coral}));
    }

    // Copies, pins and exports to the clipboard are acknowledged on the icon; opening the menu
    // ends the acknowledgement at once.
    void copiesAreAcknowledgedUntilTheMenuOpens() {
        AppDelegate &delegate = launch();
        LibraryStore &store = *delegate.store();
        Palette &favorites = store.library().palettes.first();
        store.library().renameColor(favorites.colors.first().id, favorites.id, u"Brand Blue"_s);
        store.commit();
        trigger({u"Favorites"_s, u"Brand Blue"_s, u"--Brand Blue: #336699;"_s});
        QCOMPARE(m_copied, QStringList{u"--Brand Blue: #336699;"_s});
        QVERIFY(delegate.copyFeedback()->isShowing());
        delegate.copyFeedback()->advance();
        QVERIFY(!delegate.statusItem()->isShowingNormalIcon());
        QVERIFY(item({}));
        QVERIFY(!delegate.copyFeedback()->isShowing());
        QVERIFY(delegate.statusItem()->isShowingNormalIcon());
        QVERIFY(!delegate.copyFeedback()->isTimerActive());

        trigger({u"Favorites"_s, u"Export"_s, u"CSS Variables"_s, u"Copy"_s});
        QCOMPARE(m_copied.last(),
                 PaletteExport::exportText(palette(u"Favorites"_s), ExportFormat::css));
        QVERIFY(delegate.copyFeedback()->isShowing());
        QVERIFY(m_presenter->saves.isEmpty());
    }
    void pinIsAcknowledgedOnlyWhenAdded() {
        AppDelegate &delegate = launch();
        const QUuid favorites = palette(u"Favorites"_s).id;
        trigger({u"#FF804D"_s, u"Pin to"_s, u"Favorites"_s});
        QCOMPARE(savedLibrary().palette(favorites)->colors.last().color, coral);
        QVERIFY(delegate.copyFeedback()->isShowing());
        // The menu disables the item for a color that is there; the command itself adds nothing.
        delegate.copyFeedback()->reset();
        delegate.commands()->pin(coral, favorites);
        QCOMPARE(savedLibrary().palette(favorites)->colors.size(), 2);
        QVERIFY(!delegate.copyFeedback()->isShowing());
    }
    // Every name dialog proposes a name and takes the answer trimmed; blank or cancelled changes
    // nothing.
    void nameDialogs_data() {
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<NamePromptSpec>("prompt");
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QString>("named"); // what is then named so, empty: nothing changes
        const NamePromptSpec newPalette{u"New Palette"_s, u"Name the palette."_s, u"Palette 2"_s,
                                        u"Create"_s};
        const NamePromptSpec color{u"Rename Color"_s, u"Exports use this name."_s, u"sky-700"_s,
                                   u"Rename"_s};
        const NamePromptSpec palette{u"Rename Palette"_s, QString(), u"Favorites"_s, u"Rename"_s};
        const QStringList pinNew{"#FF804D", "Pin to", "New Palette…"};
        const QStringList renameColor{"Favorites", "sky-700", "Rename…"};
        const QStringList renamePalette{"Favorites", "Rename Palette…"};
        QTest::newRow("new palette")
            << pinNew << newPalette << std::optional<QString>(u"  Brand Kit\n"_s)
            << u"new palette"_s;
        QTest::newRow("new palette, spaces")
            << pinNew << newPalette << std::optional<QString>(u"   "_s) << QString();
        QTest::newRow("new palette, cancelled")
            << pinNew << newPalette << std::optional<QString>() << QString();
        QTest::newRow("color") << renameColor << color << std::optional<QString>(u" Ocean "_s)
                               << u"color"_s;
        QTest::newRow("color, blank")
            << renameColor << color << std::optional<QString>(u" \t"_s) << QString();
        QTest::newRow("palette") << renamePalette << palette << std::optional<QString>(u"Ocean"_s)
                                 << u"palette"_s;
        QTest::newRow("palette, cancelled")
            << renamePalette << palette << std::optional<QString>() << QString();
    }
    void nameDialogs() {
        QFETCH(QStringList, path);
        QFETCH(NamePromptSpec, prompt);
        QFETCH(std::optional<QString>, answer);
        QFETCH(QString, named);
        AppDelegate &delegate = launch();
        const QByteArray before = readAll(delegate.store()->path());
        m_presenter->nameAnswers = {answer};
        trigger(path);
        QCOMPARE(m_presenter->prompts, QList<NamePromptSpec>{prompt});
        const Library saved = savedLibrary();
        if (named.isEmpty())
            QCOMPARE(readAll(delegate.store()->path()), before);
        else if (named == u"new palette"_s)
            QCOMPARE(saved.palettes.last().name, u"Brand Kit"_s);
        else if (named == u"color"_s)
            QCOMPARE(saved.palettes.first().colors.first().name, u"Ocean"_s);
        else
            QCOMPARE(saved.palettes.first().name, u"Ocean"_s);
        if (named != u"new palette"_s)
            return;
        QCOMPARE(saved.palettes.last().colors.first().color, coral);
        QVERIFY(delegate.copyFeedback()->isShowing());
        // The next proposal counts the new palette.
        trigger(path);
        QCOMPARE(m_presenter->prompts.last().defaultName, u"Palette 3"_s);
    }
    void deletePaletteAsksOnlyWhenItHoldsColors_data() {
        QTest::addColumn<int>("colors");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("informative");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("empty") << 0 << -1 << QString() << true;
        QTest::newRow("one color, Delete")
            << 1 << 0 << u"Its color is removed too. History isn't affected."_s << true;
        QTest::newRow("two colors, Delete")
            << 2 << 0 << u"Its 2 colors are removed too. History isn't affected."_s << true;
        QTest::newRow("two colors, Cancel")
            << 2 << 1 << u"Its 2 colors are removed too. History isn't affected."_s << false;
    }
    void deletePaletteAsksOnlyWhenItHoldsColors() {
        QFETCH(int, colors);
        QFETCH(int, answer);
        QFETCH(QString, informative);
        QFETCH(bool, deleted);
        AppDelegate &delegate = launch();
        LibraryStore &store = *delegate.store();
        const QUuid id = store.library().addPalette(u"Brand “Kit”"_s).id;
        for (const PickedColor &color : QList<PickedColor>{navy, coral}.mid(0, colors))
            store.library().pin(color, id);
        store.commit();
        m_presenter->alertAnswers = {answer};
        trigger({u"Brand “Kit”"_s, u"Delete Palette"_s});

        QList<AlertSpec> expected;
        if (!informative.isEmpty())
            expected = {
                {u"Delete \u201CBrand “Kit”\u201D?"_s, informative, {u"Delete"_s, u"Cancel"_s}, 0}};
        QCOMPARE(m_presenter->alerts, expected);
        const Library saved = savedLibrary();
        QCOMPARE(saved.palette(id) == nullptr, deleted);
        QCOMPARE(saved.palettes.size(), deleted ? 1 : 2);
        QCOMPARE(saved.history, (QList<PickedColor>{coral, navy}));
    }
    void removalsNeedNoConfirmation() {
        launch();
        const Palette favorites = palette(u"Favorites"_s);
        trigger({u"Favorites"_s, favorites.colors.first().name, u"Remove"_s});
        QVERIFY(savedLibrary().palette(favorites.id)->colors.isEmpty());
        // Only the palette's copy went; the history keeps the color.
        QCOMPARE(savedLibrary().history, (QList<PickedColor>{coral, navy}));
        trigger({u"#FF804D"_s, u"Delete"_s});
        QCOMPARE(savedLibrary().history, QList<PickedColor>{navy});
        trigger({u"Clear History"_s});
        QVERIFY(savedLibrary().history.isEmpty());
        QVERIFY(m_presenter->alerts.isEmpty());
    }
    void exportSaveWritesTheFile_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("formatIndex");
        QTest::addColumn<QString>("suggested");
        QTest::newRow("Swift") << u"Swift"_s << 0 << u"Brand-Kit.swift"_s;
        QTest::newRow("Tailwind") << u"Tailwind"_s << 2 << u"brand-kit.tailwind.css"_s;
    }
    void exportSaveWritesTheFile() {
        QFETCH(QString, format);
        QFETCH(int, formatIndex);
        QFETCH(QString, suggested);
        AppDelegate &delegate = launch();
        LibraryStore &store = *delegate.store();
        store.library().renamePalette(store.library().palettes.first().id, u"Brand Kit"_s);
        store.commit();
        // A file there already is replaced as a whole, once the dialog has closed.
        const QString folder = m_dir->filePath(u"exports"_s);
        const QString path = folder + u'/' + suggested;
        QVERIFY(writeAll(path, QByteArray(4096, 'x')));
        m_presenter->saveAnswers = {path};
        bool untouchedDuringDialog = false;
        m_presenter->during = [&] {
            untouchedDuringDialog = readAll(path).size() == 4096;
        };
        trigger({u"Brand Kit"_s, u"Export"_s, format, u"Save…"_s});

        QCOMPARE(m_presenter->saves.size(), 1);
        QCOMPARE(m_presenter->saves.first().suggestedName, suggested);
        QVERIFY(untouchedDuringDialog);
        QCOMPARE(readAll(path), PaletteExport::exportText(palette(u"Brand Kit"_s),
                                                          PaletteExport::allCases().at(formatIndex))
                                    .toUtf8());
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{suggested});
        QVERIFY(m_presenter->alerts.isEmpty());
        // The next save dialog opens in that folder.
        trigger({u"Brand Kit"_s, u"Export"_s, format, u"Save…"_s});
        QCOMPARE(m_presenter->saves.last().directory, folder);
    }
    // A failed write says where and why; a cancelled dialog is silent. Nothing else changes.
    void exportSaveFailsOrIsCancelled_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("failed") << false;
        QTest::newRow("cancelled") << true;
    }
    void exportSaveFailsOrIsCancelled() {
        QFETCH(bool, cancel);
        AppDelegate &delegate = launch();
        const QByteArray library = readAll(delegate.store()->path());
        // A folder where the file should go: no one can replace it with a file, root neither.
        const QString path = m_dir->filePath(u"favorites.css"_s);
        QVERIFY(QDir().mkpath(path));
        const QStringList before = QDir(m_dir->path()).entryList(QDir::AllEntries);
        m_presenter->saveAnswers = {cancel ? std::nullopt : std::optional(path)};
        if (!cancel)
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(u"^Chromet: failed to save export to "_s));
        trigger({u"Favorites"_s, u"Export"_s, u"CSS Variables"_s, u"Save…"_s});

        QCOMPARE(m_presenter->alerts.size(), cancel ? 0 : 1);
        if (!cancel) {
            QCOMPARE(
                m_presenter->alerts.first().messageText,
                u"The file \u201Cfavorites.css\u201D couldn't be saved in the folder \u201C"_s +
                    QDir(m_dir->path()).dirName() + u"\u201D."_s);
            // The system's reason, whatever its wording.
            QVERIFY(!m_presenter->alerts.first().informativeText.isEmpty());
        }
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries), before);
        QCOMPARE(readAll(delegate.store()->path()), library);
        QVERIFY(m_copied.isEmpty());
    }

private:
    // Launched with two picks, and Favorites holding the older one.
    AppDelegate &launch() {
        launched();
        LibraryStore &store = *m_delegate->store();
        store.library().record(navy);
        store.library().record(coral);
        store.library().pin(navy, store.library().palettes.first().id);
        store.commit();
        // A feedback is played only where a test expects one.
        m_delegate->copyFeedback()->setReduceMotion(true);
        return *m_delegate;
    }
    // The library's palette named `name` (its current value).
    Palette palette(const QString &name) const {
        for (const Palette &p : m_delegate->store()->library().palettes) {
            if (p.name == name)
                return p;
        }
        return {};
    }
    // Opens the tray menu (a rebuild) and follows the titles through its submenus; the menu's
    // first item for no titles.
    QAction *item(const QStringList &path) {
        m_delegate->statusItem()->menuNeedsUpdate();
        QMenu *menu = m_delegate->statusItem()->menu();
        QAction *found = menu->actions().value(0);
        for (const QString &title : path) {
            const QList<QAction *> actions = menu ? menu->actions() : QList<QAction *>();
            const auto it = std::find_if(actions.cbegin(), actions.cend(),
                                         [&](const QAction *a) { return a->text() == title; });
            if (it == actions.cend())
                return nullptr;
            found = *it;
            menu = found->menu();
        }
        return found;
    }
    void trigger(const QStringList &path) {
        QAction *action = item(path);
        QVERIFY2(action && action->isEnabled(), qPrintable(path.join(u" › "_s)));
        action->trigger();
    }
    // What the library file holds now.
    Library savedLibrary() const {
        return LibraryStore::decode(readAll(m_delegate->store()->path())).value_or(Library{});
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
