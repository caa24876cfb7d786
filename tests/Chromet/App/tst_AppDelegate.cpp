#include "DelegateTestSupport.h"

#include "Chromet/App/AppDelegate.h"
#include "Chromet/App/CopyFeedback.h"
#include "Chromet/App/Preferences.h"
#include "Chromet/Contrast/ContrastPanel.h"
#include "Chromet/Contrast/ContrastViewState.h"
#include "Chromet/Library/LibraryStore.h"
#include "Chromet/Picking/LoupeController.h"
#include "Chromet/Picking/Portal/PortalColorPicker.h"
#include "Chromet/Settings/TraylessSection.h"
#include "OrinHotkey/HotKey.h"
#include "OrinMenuBar/MainMenu.h"
#include "OrinMenuBar/StatusItemController.h"
#include "OrinOnboarding/OnboardingView.h"
#include "OrinOnboarding/OnboardingWindowController.h"
#include "OrinPanel/FloatingPanelController.h"
#include "OrinSettings/DockIcon.h"
#include "OrinSettings/SettingsWindow.h"
#include "OrinSettings/SettingsWindowController.h"
#include "Support/PortalBus.h"
#include "Support/SyntheticSnapshotCapturer.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

Q_DECLARE_METATYPE(ActivationPolicy)

class tst_AppDelegate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void launchBuildsEveryPartAndRegistersTheShortcut();
    void launchWarmsUpOnlyWithPermission_data();
    void launchWarmsUpOnlyWithPermission();
    void refusedAtLaunchAlertsAndLeavesThePreference_data();
    void refusedAtLaunchAlertsAndLeavesThePreference();
    void refusedChangeKeepsTheWorkingShortcut();
    void changedShortcutReplacesTheRegistration();
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
                 QStringLiteral("Another app uses this shortcut, so Chromet kept Ctrl+Alt+C."));
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
    void shortcutPressStartsAPick();
    void screenRecordingAlertShowsOneAtATime_data();
    void screenRecordingAlertShowsOneAtATime();
    void captureFailureAlertsOnceWhileShowing();
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
        QVERIFY2(bus.start(true, {QStringLiteral("--color"), QStringLiteral("1,0,0.2")}),
                 qPrintable(bus.errorString()));
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
        QCOMPARE(m_copied, QStringList{QStringLiteral("#FF0033")});
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
    void focusGoesBackAfterAModal_data();
    void focusGoesBackAfterAModal();
    void trayMenuPicksAfterItClosesAndIsBuiltAfresh();
    void firstLaunchShowsOnboardingUntilFinished();
    void launchAppliesTheTaskbarPolicy_data();
    void launchAppliesTheTaskbarPolicy();
    void settingsWindowIsMadeOnceAndKept();
    void withoutATrayTheSettingsAreTheWayIn();
    void aTrayShownLateIsWaitedFor();
    void contrastCheckerFollowsTheHistory();
    void checkForUpdatesIsOfferedWhenAvailable_data();
    void checkForUpdatesIsOfferedWhenAvailable();

private:
    // Onboarding is taken as finished unless `onboarded` is false.
    AppDelegate &makeDelegate(bool onboarded = true);
    QAction *menuItem(const QString &title) const;
    QString settingsTitle() const;
    QSettings storedSettings() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_prefs;
    ShortcutDesk m_desk;
    ScriptedPresenter *m_presenter = nullptr;
    FakePermission *m_permission = nullptr;
    FakeFocus *m_focus = nullptr;
    FakeUpdater *m_updater = nullptr;
    SyntheticSnapshotCapturer *m_capturer = nullptr;
    std::function<std::unique_ptr<PortalColorPicker>()> m_makePortalPicker;
    QStringList m_copied;
    bool m_trayAvailable = true;
    int m_trayQuestions = 0;
    std::unique_ptr<AppDelegate> m_delegate;
};

void tst_AppDelegate::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_prefs = std::make_unique<Preferences>(m_dir->filePath(QStringLiteral("Chromet.conf")));
    m_desk = ShortcutDesk{};
    HotKey::setBackend(std::make_unique<FakeHotKeyBackend>(m_desk));
    m_copied.clear();
    m_makePortalPicker = nullptr;
    m_trayAvailable = true;
    m_trayQuestions = 0;
    // The policy is the application's; no window of these tests is listed anywhere.
    DockIcon::setTaskbarPresence(nullptr);
    DockIcon::setActivationPolicy(ActivationPolicy::accessory);
}

void tst_AppDelegate::cleanup() {
    m_delegate.reset();
    HotKey::setBackend(nullptr);
    m_prefs.reset();
    m_dir.reset();
}

AppDelegate &tst_AppDelegate::makeDelegate(bool onboarded) {
    if (onboarded)
        m_prefs->setHasCompletedOnboarding(true);
    AppDelegate::Services services;
    auto updater = std::make_unique<FakeUpdater>();
    m_updater = updater.get();
    services.updater = std::move(updater);
    services.prefs = m_prefs.get();
    auto permission = std::make_unique<FakePermission>();
    permission->granted = true;
    m_permission = permission.get();
    services.permission = std::move(permission);
    auto presenter = std::make_unique<ScriptedPresenter>();
    m_presenter = presenter.get();
    services.presenter = std::move(presenter);
    auto focus = std::make_unique<FakeFocus>();
    m_focus = focus.get();
    services.focus = std::move(focus);
    services.makeCapturer = [this] {
        auto capturer = std::make_unique<SyntheticSnapshotCapturer>();
        m_capturer = capturer.get();
        return capturer;
    };
    services.makePortalPicker = m_makePortalPicker;
    services.libraryPath = m_dir->filePath(QStringLiteral("library.json"));
    services.copyText = [this](const QString &text) {
        m_copied.append(text);
    };
    services.trayAvailable = [this] {
        ++m_trayQuestions;
        return m_trayAvailable;
    };
    m_delegate = std::make_unique<AppDelegate>(std::move(services));
    return *m_delegate;
}

QAction *tst_AppDelegate::menuItem(const QString &title) const {
    const QList<QAction *> actions = m_delegate->statusItem()->menu()->actions();
    for (QAction *action : actions) {
        if (action->text() == title)
            return action;
    }
    return nullptr;
}

QString tst_AppDelegate::settingsTitle() const {
    const SettingsWindowController *settings = m_delegate->settingsWindow();
    return settings && settings->window() && settings->window()->isVisible()
               ? settings->window()->windowTitle()
               : QString();
}

QSettings tst_AppDelegate::storedSettings() const {
    return QSettings(m_dir->filePath(QStringLiteral("Chromet.conf")), QSettings::IniFormat);
}

void tst_AppDelegate::launchBuildsEveryPartAndRegistersTheShortcut() {
    AppDelegate &delegate = makeDelegate();
    QFile settingsFile(m_prefs->path());
    QVERIFY(settingsFile.open(QIODevice::ReadOnly));
    const QByteArray settingsBefore = settingsFile.readAll();
    settingsFile.close();
    delegate.applicationDidFinishLaunching();

    QVERIFY(delegate.mainMenu());
    QVERIFY(delegate.mainMenu()->command(QStringLiteral("Quit Chromet")));
    QVERIFY(delegate.store());
    QCOMPARE(delegate.store()->path(), m_dir->filePath(QStringLiteral("library.json")));
    QVERIFY(delegate.coordinator());
    QVERIFY(delegate.loupe());
    QVERIFY(delegate.statusItem());
    QVERIFY(!delegate.statusItem()->icon().isNull());
    QVERIFY(!delegate.statusItem()->icon().pixmap(22, 22).isNull());
    QVERIFY(delegate.copyFeedback());
    QVERIFY(delegate.commands());
    QVERIFY(delegate.contrastPanel());
    QCOMPARE(delegate.updater(), m_updater);
    // Settings are made on first use; onboarding was finished before.
    QVERIFY(!delegate.settingsWindow());
    QVERIFY(!delegate.onboarding());

    QCOMPARE(delegate.registeredCombo(), std::optional(ctrlAltC));
    QVERIFY(delegate.hotKey());
    QCOMPARE(m_desk.registered.values(), QList<HotKeyCombo>{ctrlAltC});
    QVERIFY(m_presenter->alerts.isEmpty());
    // Nothing was written at launch: no library file, no settings.
    QVERIFY(!QFile::exists(delegate.store()->path()));
    QVERIFY(settingsFile.open(QIODevice::ReadOnly));
    QCOMPARE(settingsFile.readAll(), settingsBefore);
}

void tst_AppDelegate::launchWarmsUpOnlyWithPermission_data() {
    QTest::addColumn<bool>("granted");
    QTest::newRow("granted") << true;
    QTest::newRow("not granted") << false;
}

void tst_AppDelegate::launchWarmsUpOnlyWithPermission() {
    QFETCH(bool, granted);
    AppDelegate &delegate = makeDelegate();
    m_permission->answers = {granted};
    delegate.applicationDidFinishLaunching();
    QVERIFY(m_capturer);
    QCOMPARE(m_capturer->warmUpCount(), granted ? 1 : 0);
}

void tst_AppDelegate::refusedAtLaunchAlertsAndLeavesThePreference_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("settingsShown");
    QTest::newRow("Open Settings") << 0 << QStringLiteral("General");
    QTest::newRow("Later") << 1 << QString();
}

void tst_AppDelegate::refusedAtLaunchAlertsAndLeavesThePreference() {
    QFETCH(int, answer);
    QFETCH(QString, settingsShown);
    m_desk.refused.insert(ctrlAltC.keyCode);
    AppDelegate &delegate = makeDelegate();
    m_presenter->alertAnswers = {answer};

    QTest::ignoreMessage(QtWarningMsg, "Chromet: could not register shortcut Ctrl+Alt+C");
    delegate.applicationDidFinishLaunching();

    QCOMPARE(m_presenter->alerts.size(), 1);
    const AlertSpec &alert = m_presenter->alerts.first();
    QCOMPARE(alert.messageText, QStringLiteral("Ctrl+Alt+C is already in use by another app"));
    QCOMPARE(alert.informativeText,
             QStringLiteral(
                 "Choose a different shortcut in Settings, or use Pick Color from the tray menu."));
    QCOMPARE(alert.buttons,
             (QStringList{QStringLiteral("Open Settings"), QStringLiteral("Later")}));
    // "Open Settings" opens the settings window on the General page.
    QCOMPARE(settingsTitle(), settingsShown);

    QVERIFY(!delegate.hotKey());
    QVERIFY(!delegate.registeredCombo());
    QCOMPARE(m_prefs->hotKey(), ctrlAltC);
    QVERIFY(!storedSettings().contains(QStringLiteral("hotKey")));
    QVERIFY(m_desk.registered.isEmpty());
    // The launch goes on after the alert.
    QVERIFY(delegate.statusItem());
}

void tst_AppDelegate::refusedChangeKeepsTheWorkingShortcut() {
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
    QCOMPARE(alert.messageText, QStringLiteral("Ctrl+Alt+X is already in use"));
    QCOMPARE(alert.informativeText,
             QStringLiteral("Another app uses this shortcut, so Chromet kept Ctrl+Alt+C."));
    QVERIFY(alert.buttons.isEmpty());

    QCOMPARE(m_prefs->hotKey(), ctrlAltC);
    QCOMPARE(HotKeyCombo::fromJsonBytes(storedSettings().value("hotKey").toByteArray()),
             std::optional(ctrlAltC));
    QCOMPARE(delegate.hotKey(), working);
    QCOMPARE(delegate.registeredCombo(), std::optional(ctrlAltC));
    QCOMPARE(m_desk.registered.values(), QList<HotKeyCombo>{ctrlAltC});
    // Restoring the preference announced it again, but Ctrl+Alt+C was not registered twice.
    QCOMPARE(m_desk.attemptedCombos(), QList<HotKeyCombo>{ctrlAltX});
}

void tst_AppDelegate::changedShortcutReplacesTheRegistration() {
    AppDelegate &delegate = makeDelegate();
    delegate.applicationDidFinishLaunching();
    // Assigning the registered shortcut again registers nothing.
    HotKey *registered = delegate.hotKey();
    m_prefs->setHotKey(ctrlAltC);
    QCOMPARE(m_desk.attemptedCombos(), QList<HotKeyCombo>{ctrlAltC});
    QCOMPARE(delegate.hotKey(), registered);

    m_prefs->setHotKey(ctrlAltV);
    QCOMPARE(delegate.registeredCombo(), std::optional(ctrlAltV));
    QCOMPARE(delegate.hotKey()->combo(), ctrlAltV);
    QCOMPARE(m_desk.registered.values(), QList<HotKeyCombo>{ctrlAltV});
    QVERIFY(m_presenter->alerts.isEmpty());
}

void tst_AppDelegate::shortcutPressStartsAPick() {
    AppDelegate &delegate = makeDelegate();
    delegate.applicationDidFinishLaunching();
    m_permission->answers = {false};
    QVERIFY(m_desk.handler);
    m_desk.handler({HotKey::signature, delegate.hotKey()->id()});
    // The action runs on a later turn of the event loop and finds no permission.
    QVERIFY(m_presenter->alerts.isEmpty());
    QTRY_COMPARE(m_presenter->alerts.size(), 1);
    QCOMPARE(m_presenter->alerts.first().messageText,
             QStringLiteral("Chromet needs Screen Recording to read colors"));
}

void tst_AppDelegate::screenRecordingAlertShowsOneAtATime_data() {
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("informative");
    QTest::addColumn<int>("settingsOpened");
    const QString turnOn =
        QStringLiteral("Turn on Chromet in Settings → Apps → Chromet → Screenshots.");
    const QString restart = QStringLiteral(
        "Screen Recording looks on, but your desktop applies it only after Chromet restarts. Quit "
        "and reopen Chromet. If it's off in Settings → Apps → Chromet → Screenshots, turn it on "
        "first.");
    QTest::newRow("off, Open Settings") << QList<bool>{false} << 0 << turnOn << 1;
    QTest::newRow("off, Cancel") << QList<bool>{false} << 1 << turnOn << 0;
    // Refused before the pick, granted when the alert asks again: it needs a restart.
    QTest::newRow("looks on") << QList<bool>{false, true} << 1 << restart << 0;
}

void tst_AppDelegate::screenRecordingAlertShowsOneAtATime() {
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
    QCOMPARE(alert.messageText, QStringLiteral("Chromet needs Screen Recording to read colors"));
    QCOMPARE(alert.informativeText, informative);
    QCOMPARE(alert.buttons,
             (QStringList{QStringLiteral("Open Settings"), QStringLiteral("Cancel")}));
    QVERIFY(showingDuring);
    QVERIFY(!delegate.permissionAlertShowing());
    QCOMPARE(m_permission->settingsOpened, settingsOpened);
    QVERIFY(!delegate.loupe()->isShowing());

    // Once it is closed the next request shows it again.
    m_permission->answers = {false};
    delegate.startPick();
    QCOMPARE(m_presenter->alerts.size(), 2);
}

void tst_AppDelegate::captureFailureAlertsOnceWhileShowing() {
    AppDelegate &delegate = makeDelegate();
    // No warm-up, so every capture counted below is a pick's.
    m_permission->answers = {false};
    delegate.applicationDidFinishLaunching();
    m_permission->answers = {true};
    m_capturer->setDisplayCaptureError(QStringLiteral("no screen"));
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
    QCOMPARE(m_capturer->displayCaptureCount(), 2);
    QCOMPARE(m_presenter->alerts.size(), 1);
    // The permission looks granted, so the alert says a restart is needed.
    QVERIFY(m_presenter->alerts.first().informativeText.startsWith(
        QStringLiteral("Screen Recording looks on")));
    QVERIFY(m_copied.isEmpty());
}

void tst_AppDelegate::focusGoesBackAfterAModal_data() {
    QTest::addColumn<bool>("hadFocus");
    QTest::addColumn<bool>("ownWindowHadIt");
    QTest::addColumn<bool>("titledWindowOpen");
    QTest::addColumn<bool>("givenBack");
    QTest::newRow("another application's window") << true << false << false << true;
    QTest::newRow("no window had the focus") << false << false << false << false;
    QTest::newRow("our own window had it") << true << true << false << false;
    QTest::newRow("a titled window of ours stays open") << true << false << true << false;
}

void tst_AppDelegate::focusGoesBackAfterAModal() {
    QFETCH(bool, hadFocus);
    QFETCH(bool, ownWindowHadIt);
    QFETCH(bool, titledWindowOpen);
    QFETCH(bool, givenBack);
    AppDelegate &delegate = makeDelegate();
    delegate.applicationDidFinishLaunching();

    QWidget own;
    own.setWindowTitle(QStringLiteral("Settings"));
    if (titledWindowOpen) {
        own.show();
        QVERIFY(QTest::qWaitForWindowExposed(&own));
    }
    const WId foreign = 0x5a00007;
    if (hadFocus)
        m_focus->active = ownWindowHadIt ? own.winId() : foreign;

    const int answer = delegate.runAlert({QStringLiteral("Message"), {}, {}});
    QCOMPARE(answer, 0);
    QCOMPARE(m_presenter->alerts.size(), 1);
    QCOMPARE(m_focus->activated, givenBack ? QList<WId>{foreign} : QList<WId>{});
}

void tst_AppDelegate::trayMenuPicksAfterItClosesAndIsBuiltAfresh() {
    AppDelegate &delegate = makeDelegate();
    delegate.applicationDidFinishLaunching();
    QMenu *menu = delegate.statusItem()->menu();
    delegate.statusItem()->menuNeedsUpdate();

    const QList<QAction *> actions = menu->actions();
    QCOMPARE(actions.first()->text(), QStringLiteral("Pick Color\tCtrl+Alt+C"));
    QCOMPARE(actions.last()->text(), QStringLiteral("Quit Chromet"));
    QCOMPARE(actions.last()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

    // Pick Color waits for the menu to close before it starts.
    m_permission->answers = {false};
    actions.first()->trigger();
    QVERIFY(m_presenter->alerts.isEmpty());
    QTRY_COMPARE(m_presenter->alerts.size(), 1);

    // The menu is built afresh: a new shortcut shows at the next opening.
    m_prefs->setHotKey(ctrlAltV);
    delegate.statusItem()->menuNeedsUpdate();
    QCOMPARE(menu->actions().first()->text(), QStringLiteral("Pick Color\tCtrl+Alt+V"));
}

void tst_AppDelegate::firstLaunchShowsOnboardingUntilFinished() {
    AppDelegate &delegate = makeDelegate(false);
    delegate.applicationDidFinishLaunching();

    // After the tray icon, the onboarding window opens with the application's pages.
    QVERIFY(delegate.statusItem());
    OnboardingWindowController *onboarding = delegate.onboarding();
    QVERIFY(onboarding);
    QWidget *window = onboarding->window();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Welcome to Chromet"));
    QCOMPARE(window->size(), QSize(500, 400));
    QCOMPARE(onboarding->view()->count(), 3);
    // The standing commands work there too.
    const QList<QAction *> windowCommands = window->actions();
    QVERIFY(std::any_of(windowCommands.cbegin(), windowCommands.cend(), [](const QAction *a) {
        return a->text() == QStringLiteral("Quit Chromet");
    }));
    QVERIFY(!m_prefs->hasCompletedOnboarding());
    QCOMPARE(m_capturer->warmUpCount(), 1);

    // Closing it finishes onboarding: remembered, the window let go, the capture warmed up.
    QPointer<OnboardingWindowController> controller(onboarding);
    window->close();
    QVERIFY(m_prefs->hasCompletedOnboarding());
    QCOMPARE(QSettings(m_prefs->path(), QSettings::IniFormat)
                 .value(QStringLiteral("hasCompletedOnboarding"))
                 .toString(),
             QStringLiteral("true"));
    QVERIFY(!delegate.onboarding());
    QCOMPARE(m_capturer->warmUpCount(), 2);
    QTRY_VERIFY(!controller);

    // The next launch shows none.
    m_delegate.reset();
    AppDelegate &next = makeDelegate(false);
    next.applicationDidFinishLaunching();
    QVERIFY(!next.onboarding());
}

void tst_AppDelegate::launchAppliesTheTaskbarPolicy_data() {
    QTest::addColumn<bool>("showDockIcon");
    QTest::addColumn<ActivationPolicy>("policy");
    QTest::newRow("shown") << true << ActivationPolicy::regular;
    QTest::newRow("tray only") << false << ActivationPolicy::accessory;
}

void tst_AppDelegate::launchAppliesTheTaskbarPolicy() {
    QFETCH(bool, showDockIcon);
    QFETCH(ActivationPolicy, policy);
    m_prefs->setShowDockIcon(showDockIcon);
    AppDelegate &delegate = makeDelegate();
    delegate.applicationDidFinishLaunching();
    QCOMPARE(DockIcon::activationPolicy(), policy);
}

void tst_AppDelegate::settingsWindowIsMadeOnceAndKept() {
    AppDelegate &delegate = makeDelegate();
    delegate.applicationDidFinishLaunching();
    delegate.statusItem()->menuNeedsUpdate();
    QAction *settings = menuItem(QStringLiteral("Settings…"));
    QVERIFY(settings);
    settings->trigger();
    SettingsWindowController *controller = delegate.settingsWindow();
    QVERIFY(controller);
    QVERIFY(controller->window()->isVisible());
    // The window carries the application's standing commands.
    QVERIFY(std::any_of(
        controller->window()->actions().cbegin(), controller->window()->actions().cend(),
        [](const QAction *a) { return a->text() == QStringLiteral("Quit Chromet"); }));

    // Closing keeps it; a page asked for is selected, and the same controller shows it again.
    controller->window()->close();
    delegate.openSettings(QStringLiteral("about"));
    QCOMPARE(delegate.settingsWindow(), controller);
    QCOMPARE(settingsTitle(), QStringLiteral("About"));
    delegate.openSettings(QStringLiteral("general"));
    QCOMPARE(settingsTitle(), QStringLiteral("General"));
    // Without a page the window keeps the one it shows.
    delegate.openSettings();
    QCOMPARE(settingsTitle(), QStringLiteral("General"));
    QCOMPARE(delegate.settingsWindow(), controller);
}

void tst_AppDelegate::withoutATrayTheSettingsAreTheWayIn() {
    m_trayAvailable = false;
    AppDelegate &delegate = makeDelegate();
    delegate.applicationDidFinishLaunching();
    QVERIFY(!delegate.isWithoutTray());
    QTRY_VERIFY_WITH_TIMEOUT(delegate.isWithoutTray(), 4 * AppDelegate::trayGraceMs);

    // The first launch opens the General page and says why, once.
    QCOMPARE(settingsTitle(), QStringLiteral("General"));
    QCOMPARE(m_presenter->alerts.size(), 1);
    QCOMPARE(m_presenter->alerts.first().messageText, QStringLiteral("No system tray found"));
    QVERIFY(m_presenter->alerts.first().informativeText.contains(QStringLiteral("Ctrl+Alt+C")));
    QVERIFY(m_prefs->hasSeenNoTrayNotice());
    auto *section = delegate.settingsWindow()->window()->findChild<TraylessSection *>();
    QVERIFY(section);
    QVERIFY(section->quitButton()->isEnabled());
    // Its Pick Color starts a pick like the shortcut (here it meets the missing permission).
    m_permission->answers = {false};
    section->pickButton()->click();
    QCOMPARE(m_presenter->alerts.size(), 2);
    QCOMPARE(m_presenter->alerts.last().messageText,
             QStringLiteral("Chromet needs Screen Recording to read colors"));

    // The next launch stays quiet until the window is asked for.
    makeDelegate().applicationDidFinishLaunching();
    QTRY_VERIFY_WITH_TIMEOUT(m_delegate->isWithoutTray(), 4 * AppDelegate::trayGraceMs);
    QVERIFY(!m_delegate->settingsWindow());
    QVERIFY(m_presenter->alerts.isEmpty());
    m_delegate->openSettings(QStringLiteral("general"));
    QVERIFY(m_delegate->settingsWindow()->window()->findChild<TraylessSection *>());
}

void tst_AppDelegate::aTrayShownLateIsWaitedFor() {
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

void tst_AppDelegate::contrastCheckerFollowsTheHistory() {
    AppDelegate &delegate = makeDelegate();
    delegate.applicationDidFinishLaunching();
    const PickedColor first{{0.2, 0.4, 0.6}, {0.25, 0.4, 0.58}};
    const PickedColor second{{0.9, 0.1, 0.1}, {0.85, 0.2, 0.15}};
    delegate.coordinator()->handlePick(first);

    delegate.statusItem()->menuNeedsUpdate();
    QAction *contrast = menuItem(QStringLiteral("Contrast…"));
    QVERIFY(contrast);
    contrast->trigger();
    ContrastPanel *panel = delegate.contrastPanel();
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->holder()->state().history(), QList<PickedColor>{first});
    const QList<QAction *> panelCommands = panel->controller()->panel()->actions();
    QVERIFY(std::any_of(panelCommands.cbegin(), panelCommands.cend(), [](const QAction *a) {
        return a->text() == QStringLiteral("Quit Chromet");
    }));

    // A pick while it is open reaches it.
    delegate.coordinator()->handlePick(second);
    QCOMPARE(panel->holder()->state().history(), (QList<PickedColor>{second, first}));
    QVERIFY(panel->holder()->state().model());

    // The command again hides it.
    delegate.statusItem()->menuNeedsUpdate();
    menuItem(QStringLiteral("Contrast…"))->trigger();
    QVERIFY(!panel->isVisible());
}

void tst_AppDelegate::checkForUpdatesIsOfferedWhenAvailable_data() {
    QTest::addColumn<bool>("available");
    QTest::newRow("available") << true;
    QTest::newRow("not available") << false;
}

void tst_AppDelegate::checkForUpdatesIsOfferedWhenAvailable() {
    QFETCH(bool, available);
    AppDelegate &delegate = makeDelegate();
    m_updater->available = available;
    delegate.applicationDidFinishLaunching();
    delegate.statusItem()->menuNeedsUpdate();
    QAction *check = menuItem(QStringLiteral("Check for Updates…"));
    QCOMPARE(check != nullptr, available);
    if (check) {
        check->trigger();
        QCOMPARE(m_updater->checks, 1);
    }
}

QTEST_MAIN(tst_AppDelegate)
#include "tst_AppDelegate.moc"
