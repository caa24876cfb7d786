#include "Chromet/App/AppDelegate.h"
#include "Chromet/App/Preferences.h"
#include "Chromet/Library/LibraryStore.h"
#include "Chromet/Picking/LoupeController.h"
#include "Chromet/Picking/SyntheticSnapshotCapturer.h"
#include "OrinHotkey/HotKey.h"
#include "OrinMenuBar/MainMenu.h"
#include "OrinMenuBar/StatusItemController.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace {

constexpr HotKeyCombo ctrlAltC{8, 0x1800};
constexpr HotKeyCombo ctrlAltX{7, 0x1800};
constexpr HotKeyCombo ctrlAltV{9, 0x1800};

// The desktop's shortcut service: refuses chosen key codes, remembers what is registered.
struct ShortcutDesk {
    QSet<quint32> refused;
    QHash<HotKeyBackend::Ref, HotKeyCombo> registered;
    QList<HotKeyCombo> attempts;
    HotKeyBackend::Handler handler;
    HotKeyBackend::Ref nextRef = 1;
};

class FakeBackend final : public HotKeyBackend {
public:
    explicit FakeBackend(ShortcutDesk &desk)
        : m_desk(desk) {}
    void installHandler(Handler h) override { m_desk.handler = std::move(h); }
    std::optional<Ref> registerHotKey(const HotKeyCombo &combo, HotKeyIdentifier) override {
        m_desk.attempts.append(combo);
        if (m_desk.refused.contains(combo.keyCode))
            return std::nullopt;
        const Ref ref = m_desk.nextRef++;
        m_desk.registered.insert(ref, combo);
        return ref;
    }
    void unregisterHotKey(Ref ref) override { m_desk.registered.remove(ref); }

private:
    ShortcutDesk &m_desk;
};

// Answers every dialog from a script and remembers what was shown. `during` runs while the
// next dialog is open, as the user's or the system's doing in the meantime.
class ScriptedPresenter final : public ModalPresenter {
public:
    int runAlert(const AlertSpec &alert) override {
        alerts.append(alert);
        runDuring();
        return alertAnswers.isEmpty() ? int(qMax<qsizetype>(alert.buttons.size(), 1)) - 1
                                      : alertAnswers.takeFirst();
    }
    std::optional<QString> promptForName(const NamePromptSpec &prompt) override {
        prompts.append(prompt);
        runDuring();
        return nameAnswers.isEmpty() ? std::nullopt : nameAnswers.takeFirst();
    }
    std::optional<QString> chooseSaveFile(const SaveFileSpec &save) override {
        saves.append(save);
        return std::nullopt;
    }

    QList<AlertSpec> alerts;
    QList<int> alertAnswers;
    QList<NamePromptSpec> prompts;
    QList<std::optional<QString>> nameAnswers;
    QList<SaveFileSpec> saves;
    std::function<void()> during;

private:
    void runDuring() {
        if (auto run = std::exchange(during, {}))
            run();
    }
};

class FakePermission final : public PermissionChecker {
public:
    // Answers in turn; the last answer stays.
    bool isGranted() const override {
        ++checks;
        return answers.size() > 1 ? answers.takeFirst() : answers.value(0, false);
    }
    void request() override {}
    void openSettings() override { ++settingsOpened; }

    mutable QList<bool> answers{true};
    mutable int checks = 0;
    int settingsOpened = 0;
};

class FakeFocus final : public WindowFocus {
public:
    std::optional<WId> activeWindow() const override { return active; }
    void activate(WId window) override { activated.append(window); }

    std::optional<WId> active;
    QList<WId> activated;
};

} // namespace

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
    void acceptedChangeReplacesTheRegistration();
    void sameShortcutIsNotRegisteredAgain();
    void shortcutPressStartsAPick();
    void screenRecordingAlertShowsOneAtATime_data();
    void screenRecordingAlertShowsOneAtATime();
    void captureFailureAlertsOnceWhileShowing();
    void focusGoesBackAfterAModal_data();
    void focusGoesBackAfterAModal();
    void namePromptTrimsAndTreatsBlankAsCancel_data();
    void namePromptTrimsAndTreatsBlankAsCancel();
    void trayMenuOffersPickAndQuit();

private:
    AppDelegate &makeDelegate();
    QSettings storedSettings() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_prefs;
    ShortcutDesk m_desk;
    ScriptedPresenter *m_presenter = nullptr;
    FakePermission *m_permission = nullptr;
    FakeFocus *m_focus = nullptr;
    SyntheticSnapshotCapturer *m_capturer = nullptr;
    QStringList m_copied;
    QStringList m_settingsOpened;
    std::unique_ptr<AppDelegate> m_delegate;
};

void tst_AppDelegate::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_prefs = std::make_unique<Preferences>(m_dir->filePath(QStringLiteral("Chromet.conf")));
    m_desk = ShortcutDesk{};
    HotKey::setBackend(std::make_unique<FakeBackend>(m_desk));
    m_copied.clear();
    m_settingsOpened.clear();
}

void tst_AppDelegate::cleanup() {
    m_delegate.reset();
    HotKey::setBackend(nullptr);
    m_prefs.reset();
    m_dir.reset();
}

AppDelegate &tst_AppDelegate::makeDelegate() {
    AppDelegate::Services services;
    services.prefs = m_prefs.get();
    auto permission = std::make_unique<FakePermission>();
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
    services.libraryPath = m_dir->filePath(QStringLiteral("library.json"));
    services.copyText = [this](const QString &text) {
        m_copied.append(text);
    };
    m_delegate = std::make_unique<AppDelegate>(std::move(services));
    m_delegate->setOpenSettings([this](const QString &page) { m_settingsOpened.append(page); });
    return *m_delegate;
}

QSettings tst_AppDelegate::storedSettings() const {
    return QSettings(m_dir->filePath(QStringLiteral("Chromet.conf")), QSettings::IniFormat);
}

void tst_AppDelegate::launchBuildsEveryPartAndRegistersTheShortcut() {
    AppDelegate &delegate = makeDelegate();
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

    QCOMPARE(delegate.registeredCombo(), std::optional(ctrlAltC));
    QVERIFY(delegate.hotKey());
    QCOMPARE(m_desk.registered.values(), QList<HotKeyCombo>{ctrlAltC});
    QVERIFY(m_presenter->alerts.isEmpty());
    // Nothing was written at launch: no library file, no settings.
    QVERIFY(!QFile::exists(delegate.store()->path()));
    QVERIFY(!QFile::exists(m_prefs->path()));
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
    QTest::addColumn<QStringList>("settingsOpened");
    QTest::newRow("Open Settings") << 0 << QStringList{QStringLiteral("general")};
    QTest::newRow("Later") << 1 << QStringList{};
}

void tst_AppDelegate::refusedAtLaunchAlertsAndLeavesThePreference() {
    QFETCH(int, answer);
    QFETCH(QStringList, settingsOpened);
    m_desk.refused.insert(ctrlAltC.keyCode);
    AppDelegate &delegate = makeDelegate();
    m_presenter->alertAnswers = {answer};

    QTest::ignoreMessage(QtWarningMsg, "Chromet: could not register shortcut ⌃⌥C");
    delegate.applicationDidFinishLaunching();

    QCOMPARE(m_presenter->alerts.size(), 1);
    const AlertSpec &alert = m_presenter->alerts.first();
    QCOMPARE(alert.messageText, QStringLiteral("⌃⌥C is already in use by another app"));
    QCOMPARE(alert.informativeText,
             QStringLiteral(
                 "Choose a different shortcut in Settings, or use Pick Color from the tray menu."));
    QCOMPARE(alert.buttons,
             (QStringList{QStringLiteral("Open Settings"), QStringLiteral("Later")}));
    QCOMPARE(m_settingsOpened, settingsOpened);

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

    QTest::ignoreMessage(QtWarningMsg, "Chromet: could not register shortcut ⌃⌥X");
    m_prefs->setHotKey(ctrlAltX);

    QCOMPARE(m_presenter->alerts.size(), 1);
    const AlertSpec &alert = m_presenter->alerts.first();
    QCOMPARE(alert.messageText, QStringLiteral("⌃⌥X is already in use"));
    QCOMPARE(alert.informativeText,
             QStringLiteral("Another app uses this shortcut, so Chromet kept ⌃⌥C."));
    QVERIFY(alert.buttons.isEmpty());

    QCOMPARE(m_prefs->hotKey(), ctrlAltC);
    QCOMPARE(HotKeyCombo::fromJsonBytes(storedSettings().value("hotKey").toByteArray()),
             std::optional(ctrlAltC));
    QCOMPARE(delegate.hotKey(), working);
    QCOMPARE(delegate.registeredCombo(), std::optional(ctrlAltC));
    QCOMPARE(m_desk.registered.values(), QList<HotKeyCombo>{ctrlAltC});
    // Restoring the preference announced it again, but ⌃⌥C was not registered twice.
    QCOMPARE(m_desk.attempts, QList<HotKeyCombo>{ctrlAltX});
}

void tst_AppDelegate::acceptedChangeReplacesTheRegistration() {
    AppDelegate &delegate = makeDelegate();
    delegate.applicationDidFinishLaunching();
    m_prefs->setHotKey(ctrlAltV);
    QCOMPARE(delegate.registeredCombo(), std::optional(ctrlAltV));
    QCOMPARE(delegate.hotKey()->combo(), ctrlAltV);
    QCOMPARE(m_desk.registered.values(), QList<HotKeyCombo>{ctrlAltV});
    QVERIFY(m_presenter->alerts.isEmpty());
}

void tst_AppDelegate::sameShortcutIsNotRegisteredAgain() {
    AppDelegate &delegate = makeDelegate();
    delegate.applicationDidFinishLaunching();
    HotKey *registered = delegate.hotKey();
    m_prefs->setHotKey(ctrlAltC);
    QCOMPARE(m_desk.attempts, QList<HotKeyCombo>{ctrlAltC});
    QCOMPARE(delegate.hotKey(), registered);
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

void tst_AppDelegate::namePromptTrimsAndTreatsBlankAsCancel_data() {
    QTest::addColumn<std::optional<QString>>("typed");
    QTest::addColumn<std::optional<QString>>("expected");
    QTest::newRow("name") << std::optional<QString>(QStringLiteral("Brand"))
                          << std::optional<QString>(QStringLiteral("Brand"));
    QTest::newRow("surrounding space and line breaks")
        << std::optional<QString>(QStringLiteral("  Brand Blue \n\t"))
        << std::optional<QString>(QStringLiteral("Brand Blue"));
    QTest::newRow("spaces only") << std::optional<QString>(QStringLiteral("   "))
                                 << std::optional<QString>();
    QTest::newRow("cancelled") << std::optional<QString>() << std::optional<QString>();
}

void tst_AppDelegate::namePromptTrimsAndTreatsBlankAsCancel() {
    QFETCH(std::optional<QString>, typed);
    QFETCH(std::optional<QString>, expected);
    AppDelegate &delegate = makeDelegate();
    m_presenter->nameAnswers = {typed};
    const auto name =
        delegate.promptForName(QStringLiteral("New Palette"), QStringLiteral("Name the palette."),
                               QStringLiteral("Palette 2"), QStringLiteral("Create"));
    QCOMPARE(name, expected);
    QCOMPARE(m_presenter->prompts.size(), 1);
    QCOMPARE(m_presenter->prompts.first(),
             (NamePromptSpec{QStringLiteral("New Palette"), QStringLiteral("Name the palette."),
                             QStringLiteral("Palette 2"), QStringLiteral("Create")}));
}

void tst_AppDelegate::trayMenuOffersPickAndQuit() {
    AppDelegate &delegate = makeDelegate();
    delegate.applicationDidFinishLaunching();
    QMenu *menu = delegate.statusItem()->menu();
    delegate.statusItem()->menuNeedsUpdate();

    QList<QAction *> actions = menu->actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions.at(0)->text(), QStringLiteral("Pick Color   ⌃⌥C"));
    QVERIFY(actions.at(1)->isSeparator());
    QCOMPARE(actions.at(2)->text(), QStringLiteral("Quit Chromet"));
    QCOMPARE(actions.at(2)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

    // Pick Color waits for the menu to close before it starts.
    m_permission->answers = {false};
    actions.at(0)->trigger();
    QVERIFY(m_presenter->alerts.isEmpty());
    QTRY_COMPARE(m_presenter->alerts.size(), 1);

    // The menu is built afresh: a new shortcut shows at the next opening.
    m_prefs->setHotKey(ctrlAltV);
    delegate.statusItem()->menuNeedsUpdate();
    QCOMPARE(menu->actions().first()->text(), QStringLiteral("Pick Color   ⌃⌥V"));
}

QTEST_MAIN(tst_AppDelegate)
#include "tst_AppDelegate.moc"
