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
#include <QMenu>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ActivationPolicy)

namespace {

const PickedColor navy{{0.2, 0.4, 0.6}, {0.2, 0.4, 0.6}}; // sky-700
const PickedColor coral{{1.0, 0.5, 0.3}, {1.0, 0.5, 0.3}};

} // namespace

class tst_AppDelegate : public DelegateFixture {
    Q_OBJECT

private Q_SLOTS:
    void init() { setUpDelegate(); }
    void cleanup() { tearDownDelegate(); }

    // The launch registers the shortcut, applies the taskbar policy and warms the capture up
    // only with the permission; it writes no file and shows nothing but, at the first launch,
    // the onboarding, whose end is remembered and warms up again.
    void launch_data() {
        QTest::addColumn<bool>("onboarded");
        QTest::addColumn<bool>("granted");
        QTest::addColumn<bool>("showDockIcon");
        QTest::addColumn<ActivationPolicy>("policy");
        QTest::newRow("granted, tray only") << true << true << false << ActivationPolicy::accessory;
        QTest::newRow("not granted, in the taskbar")
            << true << false << true << ActivationPolicy::regular;
        QTest::newRow("first launch") << false << true << false << ActivationPolicy::accessory;
    }
    void launch() {
        QFETCH(bool, onboarded);
        QFETCH(bool, granted);
        QFETCH(bool, showDockIcon);
        QFETCH(ActivationPolicy, policy);
        m_prefs->setShowDockIcon(showDockIcon);
        AppDelegate &delegate = makeDelegate(onboarded);
        m_permission->answers = {granted};
        const QByteArray settingsBefore = readAll(m_prefs->path());
        delegate.applicationDidFinishLaunching();
        QCOMPARE(m_desk.registered.values(), QList<HotKeyCombo>{ctrlAltC});
        QCOMPARE(DockIcon::activationPolicy(), policy);
        QCOMPARE(m_capturer->warmUpCount(), granted ? 1 : 0);
        QVERIFY(m_presenter->alerts.isEmpty());
        QVERIFY(!QFile::exists(delegate.store()->path()));
        QCOMPARE(readAll(m_prefs->path()), settingsBefore);
        QCOMPARE(delegate.onboarding() != nullptr, !onboarded);
        if (onboarded)
            return;
        QVERIFY(delegate.onboarding()->window()->isVisible());
        delegate.onboarding()->window()->close();
        QVERIFY(m_prefs->hasCompletedOnboarding());
        QVERIFY(!delegate.onboarding());
        QCOMPARE(m_capturer->warmUpCount(), 2);
    }

    // A shortcut refused at launch is said so, and the launch goes on without one. A desktop
    // without a shortcut service, or one that stops granting any while asked (a portal refusing),
    // refused nothing: no alert blames another app. The preference stays unwritten.
    void shortcutNotRegisteredAtLaunch_data() {
        QTest::addColumn<bool>("canGrab");
        QTest::addColumn<int>("answer"); // -1: no alert
        QTest::addColumn<QString>("settingsShown");
        QTest::newRow("refused, Open Settings") << true << 0 << u"General"_s;
        QTest::newRow("refused, Later") << true << 1 << QString();
        QTest::newRow("no service") << false << -1 << QString();
        QTest::newRow("stops while asked") << true << -1 << QString();
    }
    void shortcutNotRegisteredAtLaunch() {
        QFETCH(bool, canGrab);
        QFETCH(int, answer);
        QFETCH(QString, settingsShown);
        m_desk.canGrab = canGrab;
        m_desk.answerLater = true;
        m_desk.refused.insert(ctrlAltC.keyCode);
        AppDelegate &delegate = launched();
        m_presenter->alertAnswers = {answer};
        if (answer < 0)
            m_desk.canGrab = false;
        else
            QTest::ignoreMessage(QtWarningMsg, "Chromet: could not register shortcut Ctrl+Alt+C");
        m_desk.answerPending();
        QCOMPARE(m_presenter->alerts.size(), answer < 0 ? 0 : 1);
        if (answer >= 0)
            QCOMPARE(m_presenter->alerts.first().messageText,
                     u"Ctrl+Alt+C is already in use by another app"_s);
        QCOMPARE(settingsTitle(), settingsShown);
        QCOMPARE(m_desk.attempts.size(), canGrab ? 1 : 0);
        QVERIFY(!delegate.hotKey());
        QVERIFY(!readAll(m_prefs->path()).contains("hotKey"));
        QVERIFY(delegate.statusItem());
    }
    // A changed shortcut replaces the working one once the desktop grants it; a refusal keeps
    // the working one and says so, and a grant overtaken meanwhile is let go.
    void changedShortcut() {
        AppDelegate &delegate = launched();
        HotKey *working = delegate.hotKey();
        QVERIFY(working);
        m_desk.answerLater = true;
        m_desk.refused.insert(ctrlAltX.keyCode);
        m_desk.attempts.clear();
        m_prefs->setHotKey(ctrlAltC); // the registered one: nothing to ask
        QTest::ignoreMessage(QtWarningMsg, "Chromet: could not register shortcut Ctrl+Alt+X");
        m_prefs->setHotKey(ctrlAltX);
        QVERIFY(m_presenter->alerts.isEmpty());
        m_desk.answerPending();
        QCOMPARE(m_presenter->alerts.size(), 1);
        QCOMPARE(m_presenter->alerts.first().informativeText,
                 u"Another app uses this shortcut, so Chromet kept Ctrl+Alt+C."_s);
        QCOMPARE(m_prefs->hotKey(), ctrlAltC);
        QCOMPARE(delegate.hotKey(), working);
        // Restoring the preference announced it again, but Ctrl+Alt+C was not registered twice.
        QCOMPARE(m_desk.attemptedCombos(), QList<HotKeyCombo>{ctrlAltX});

        m_prefs->setHotKey(ctrlAltV);
        m_prefs->setHotKey(ctrlAltC);
        m_desk.answerPending();
        QCOMPARE(delegate.hotKey(), working);
        QCOMPARE(m_desk.registered.values(), QList<HotKeyCombo>{ctrlAltC});
        m_prefs->setHotKey(ctrlAltV);
        QCOMPARE(delegate.registeredCombo(), std::optional(ctrlAltC));
        m_desk.answerPending();
        QCOMPARE(m_desk.registered.values(), QList<HotKeyCombo>{ctrlAltV});
        QCOMPARE(m_presenter->alerts.size(), 1);
    }

    // The permission answers later: requests meanwhile join the one asked; a grant then opens
    // the loupe, and the next request (the shortcut again) closes it without a color.
    void latePermissionAnswers() {
        AppDelegate &delegate = launched();
        m_permission->answerLater = true;
        delegate.startPick();
        delegate.startPick();
        QCOMPARE(m_permission->pending.size(), 1);
        QVERIFY(!delegate.loupe()->isShowing());
        m_permission->answers = {true};
        m_permission->answerPending();
        QVERIFY(delegate.loupe()->isShowing());
        delegate.startPick();
        QVERIFY(!delegate.loupe()->isShowing());
        QVERIFY(m_copied.isEmpty());
    }
    // A pick that cannot read the screen says why, one alert at a time. Where the desktop has a
    // setting for it the alert offers to open it; elsewhere it says what failed and what helps.
    // A caller waiting for the pick hears that it ended without a color.
    void captureProblemAlerts_data() {
        QTest::addColumn<bool>("settings");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QString>("captureError");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("informative"); // how the alert's text begins
        QTest::addColumn<int>("settingsOpened");
        const QString none;
        QTest::newRow("off, Open Settings") << true << QList{false} << none << 0 << "Turn on" << 1;
        // Refused before the pick, granted when the alert asks again: it needs a restart.
        QTest::newRow("looks on") << true << QList{false, true} << none << 1
                                  << "Screen Recording looks on, but" << 0;
        QTest::newRow("no setting, denied")
            << false << QList{false} << none << 0 << "The test denies it." << 0;
        QTest::newRow("no setting, capture failed")
            << false << QList{true} << u"shared memory is gone"_s << 0
            << "Shared memory is gone. Try again" << 0;
    }
    void captureProblemAlerts() {
        QFETCH(bool, settings);
        QFETCH(QList<bool>, answers);
        QFETCH(QString, captureError);
        QFETCH(int, button);
        QFETCH(QString, informative);
        QFETCH(int, settingsOpened);
        AppDelegate &delegate = launched();
        m_permission->settings = settings;
        m_permission->answers = answers;
        m_capturer->setDisplayCaptureError(captureError);
        m_presenter->alertAnswers = {button};
        m_presenter->during = [&] {
            QVERIFY(delegate.permissionAlertShowing());
            m_permission->answers = {false};
            // More requests while the alert is open: the shortcut again, twice.
            delegate.startPick();
            delegate.startPick();
        };
        pick();
        QTRY_COMPARE(m_presenter->alerts.size(), 1);
        const AlertSpec alert = m_presenter->alerts.first();
        QVERIFY2(alert.informativeText.startsWith(informative), qPrintable(alert.informativeText));
        QVERIFY(!delegate.permissionAlertShowing());
        QCOMPARE(m_permission->settingsOpened, settingsOpened);
        QVERIFY(!delegate.loupe()->isShowing());
        QVERIFY(m_result && !*m_result);
        // Once it is closed the next request shows it again.
        delegate.startPick();
        QCOMPARE(m_presenter->alerts.size(), 2);
    }
    // The desktop's own picker stands in for the loupe where the platform has one, or once the
    // desktop declined a screenshot. Its color is a pick like any other: recorded, copied and
    // acknowledged on the icon, as no loupe label shows it. Why it appears is said once.
    void desktopPicker_data() {
        QTest::addColumn<bool>("afterDeclinedScreenshot");
        QTest::newRow("the platform's picker") << false;
        QTest::newRow("after a declined screenshot") << true;
    }
    void desktopPicker() {
        QFETCH(bool, afterDeclinedScreenshot);
        PortalBus bus;
        QVERIFY2(bus.start(true, {u"--color"_s, u"1,0,0.2"_s}), qPrintable(bus.errorString()));
        (afterDeclinedScreenshot ? m_makeFallbackPicker : m_makePortalPicker) = [&bus] {
            return PortalColorPicker::create(bus.connection());
        };
        AppDelegate &delegate = launched(afterDeclinedScreenshot);
        if (afterDeclinedScreenshot)
            m_capturer->setDisplayCaptureError(u"the desktop refused the screenshot"_s, true);
        else // no screen access of ours to ask for at the first launch
            QCOMPARE(delegate.onboarding()->view()->count(), 2);
        pick();
        QTRY_VERIFY(m_result && *m_result);
        QCOMPARE(delegate.store()->library().history, QList<PickedColor>{m_result->value()});
        QCOMPARE(m_copied, QStringList{u"#FF0033"_s});
        QVERIFY(delegate.copyFeedback()->isShowing());
        QCOMPARE(m_presenter->alerts.size(), 1);
        QCOMPARE(m_presenter->alerts.first().messageText,
                 u"Chromet picks with your desktop's color picker"_s);
        const int captures = m_capturer->displayCaptureCount();
        pick();
        QTRY_VERIFY(m_result && *m_result);
        QCOMPARE(m_presenter->alerts.size(), 1);
        QCOMPARE(m_copied.size(), 2);
        // Picks no longer ask for the screen, and where the platform's picker takes them from the
        // start, nothing of the loupe is prepared.
        QCOMPARE(m_capturer->displayCaptureCount(), captures);
        if (!afterDeclinedScreenshot)
            QCOMPARE(captures + m_capturer->warmUpCount(), 0);
    }
    // After a dialog the focus goes back to another application's window that had it, never to
    // one of ours, and not while a titled window of ours stays open.
    void focusGoesBackAfterAModal_data() {
        QTest::addColumn<bool>("ownWindowHadIt");
        QTest::addColumn<bool>("titledWindowOpen");
        QTest::newRow("another application's window") << false << false;
        QTest::newRow("our own window had it") << true << false;
        QTest::newRow("a titled window of ours stays open") << false << true;
    }
    void focusGoesBackAfterAModal() {
        QFETCH(bool, ownWindowHadIt);
        QFETCH(bool, titledWindowOpen);
        AppDelegate &delegate = launched();
        QWidget own;
        own.setWindowTitle(u"Settings"_s);
        if (titledWindowOpen) {
            own.show();
            QVERIFY(QTest::qWaitForWindowExposed(&own));
        }
        const WId foreign = 0x5a00007;
        m_focus->active = ownWindowHadIt ? own.winId() : foreign;
        QCOMPARE(delegate.runAlert({u"Message"_s, {}, {}}), 0);
        QCOMPARE(m_focus->activated,
                 ownWindowHadIt || titledWindowOpen ? QList<WId>{} : QList<WId>{foreign});
    }

    // A tray shown within the grace is waited for. Without one the first launch opens the
    // General page, whose Pick Color starts a pick, and says why, once; the next launch stays
    // quiet until the window is asked for.
    void withoutATrayTheSettingsAreTheWayIn() {
        m_trayAvailable = false;
        launched();
        m_trayAvailable = true;
        QTRY_COMPARE_WITH_TIMEOUT(m_trayQuestions, 2, 4 * AppDelegate::trayGraceMs);
        QVERIFY(!m_delegate->isWithoutTray());

        m_trayAvailable = false;
        AppDelegate &delegate = launched();
        QTRY_VERIFY_WITH_TIMEOUT(delegate.isWithoutTray(), 4 * AppDelegate::trayGraceMs);
        QCOMPARE(settingsTitle(), u"General"_s);
        QCOMPARE(m_presenter->alerts.size(), 1);
        QCOMPARE(m_presenter->alerts.first().messageText, u"No system tray found"_s);
        QVERIFY(m_presenter->alerts.first().informativeText.contains(u"Ctrl+Alt+C"_s));
        auto *section = delegate.settingsWindow()->window()->findChild<TraylessSection *>();
        QVERIFY(section);
        m_permission->answers = {false}; // the pick then meets the missing permission
        section->pickButton()->click();
        QCOMPARE(m_presenter->alerts.size(), 2);

        launched();
        QTRY_VERIFY_WITH_TIMEOUT(m_delegate->isWithoutTray(), 4 * AppDelegate::trayGraceMs);
        QVERIFY(!m_delegate->settingsWindow());
        QVERIFY(m_presenter->alerts.isEmpty());
        m_delegate->openSettings(u"general"_s);
        QVERIFY(m_delegate->settingsWindow()->window()->findChild<TraylessSection *>());
    }

    // The menu is built afresh at every opening, from the library, the preferences and the
    // store's state, and each item reaches its command: Pick Color once the menu has closed.
    void menuCommands() {
        AppDelegate &delegate = launchedWithPicks();
        m_permission->answers = {false};
        trigger({u"Pick Color\tCtrl+Alt+C"_s});
        QVERIFY(m_presenter->alerts.isEmpty());
        QTRY_COMPARE(m_presenter->alerts.size(), 1);
        m_prefs->setHotKey(ctrlAltV);
        QVERIFY(item({u"Pick Color\tCtrl+Alt+V"_s}));

        // Removals ask nothing; a palette's copy goes, the history keeps the color.
        trigger({u"Favorites"_s, u"sky-700"_s, u"Remove"_s});
        QVERIFY(savedLibrary().palettes.first().colors.isEmpty());
        QCOMPARE(savedLibrary().history.size(), 2);
        trigger({u"#FF804D"_s, u"Delete"_s});
        QCOMPARE(savedLibrary().history, QList<PickedColor>{navy});

        // A pick made meanwhile shows at the next opening, first, titled in the default format;
        // an open contrast checker follows it.
        trigger({u"Default Format"_s, u"OKLCH"_s});
        trigger({u"Contrast…"_s});
        QVERIFY(delegate.contrastPanel()->isVisible());
        delegate.coordinator()->handlePick(coral);
        QCOMPARE(m_copied.last(), ColorFormats::format(ColorFormat::oklch, coral, {}, false));
        QVERIFY(item({}));
        QCOMPARE(delegate.statusItem()->menu()->actions().at(3)->text(),
                 ColorFormats::labelText(ColorFormat::oklch, coral, false));
        QCOMPARE(delegate.contrastPanel()->holder()->state().history(),
                 (QList<PickedColor>{coral, navy}));
        trigger({u"Clear History"_s});
        QVERIFY(savedLibrary().history.isEmpty());

        trigger({u"Settings…"_s});
        QCOMPARE(settingsTitle(), u"General"_s);
        trigger({u"Check for Updates…"_s});
        QCOMPARE(m_updater->checks, 1);
        m_updater->available = false;
        QVERIFY(!item({u"Check for Updates…"_s}));
        QCOMPARE(m_presenter->alerts.size(), 1);

        // When saving fails (a folder stands where the file goes), the menu says so.
        QVERIFY(!item({u"History isn't being saved"_s}));
        QVERIFY(QFile::remove(delegate.store()->path()));
        QVERIFY(QDir().mkpath(delegate.store()->path()));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"^Chromet: failed to save library"_s));
        delegate.coordinator()->handlePick(navy);
        QVERIFY(!item({u"History isn't being saved"_s})->isEnabled());
    }
    // Copies, pins and exports to the clipboard are acknowledged on the icon; a pin that adds
    // nothing is not. Opening the menu ends the acknowledgement at once. A copy takes its own
    // format and name, in the preferred case.
    void copiesAreAcknowledgedUntilTheMenuOpens() {
        AppDelegate &delegate = launchedWithPicks();
        trigger({u"Favorites"_s, u"sky-700"_s, u"--sky-700: #336699;"_s});
        QCOMPARE(m_copied, QStringList{u"--sky-700: #336699;"_s});
        QVERIFY(delegate.copyFeedback()->isShowing());
        QVERIFY(item({}));
        QVERIFY(!delegate.copyFeedback()->isShowing());

        trigger({u"Favorites"_s, u"Export"_s, u"CSS Variables"_s, u"Copy"_s});
        QCOMPARE(m_copied.last(), PaletteExport::exportText(favorites(), ExportFormat::css));
        QVERIFY(delegate.copyFeedback()->isShowing());

        const QUuid favoritesId = favorites().id;
        delegate.copyFeedback()->reset();
        trigger({u"#FF804D"_s, u"Pin to"_s, u"Favorites"_s});
        QCOMPARE(savedLibrary().palette(favoritesId)->colors.last().color, coral);
        QVERIFY(delegate.copyFeedback()->isShowing());
        // The menu disables the item for a color that is there; the command itself adds nothing
        // but saves all the same, so the file matches what the menu shows.
        delegate.copyFeedback()->reset();
        delegate.store()->library().clearHistory();
        delegate.commands()->pin(coral, favoritesId);
        QCOMPARE(savedLibrary().palette(favoritesId)->colors.size(), 2);
        QVERIFY(savedLibrary().history.isEmpty());
        QVERIFY(!delegate.copyFeedback()->isShowing());

        m_prefs->setLowercaseHex(true);
        delegate.commands()->copy(coral, ColorFormat::cssVariable, u"Brand"_s);
        QCOMPARE(m_copied.last(), u"--Brand: #ff804d;"_s);
    }
    // Every name dialog proposes a name and takes the answer trimmed; blank or cancelled changes
    // nothing.
    void nameDialogs() {
        AppDelegate &delegate = launchedWithPicks();
        const QStringList newPalette{u"#FF804D"_s, u"Pin to"_s, u"New Palette…"_s};
        const QStringList renamePalette{u"Favorites"_s, u"Rename Palette…"_s};
        const QByteArray before = readAll(delegate.store()->path());
        m_presenter->nameAnswers = {u" \t"_s, std::nullopt};
        trigger(newPalette);
        trigger(renamePalette);
        QCOMPARE(readAll(delegate.store()->path()), before);
        m_presenter->nameAnswers = {u" Wave "_s, u"Sea"_s, u" Ocean\n"_s};
        trigger({u"Favorites"_s, u"sky-700"_s, u"Rename…"_s});
        trigger(renamePalette);
        trigger(newPalette);
        QVERIFY(delegate.copyFeedback()->isShowing());
        trigger(newPalette); // the proposal counts the new palette
        QStringList proposed;
        for (const NamePromptSpec &prompt : std::as_const(m_presenter->prompts))
            proposed.append(prompt.defaultName);
        QCOMPARE(proposed, (QStringList{"Palette 2", "Favorites", "sky-700", "Favorites",
                                        "Palette 2", "Palette 3"}));
        const Library saved = savedLibrary();
        QCOMPARE(saved.palettes.first().name, u"Sea"_s);
        QCOMPARE(saved.palettes.first().colors.first().name, u"Wave"_s);
        QCOMPARE(saved.palettes.last().name, u"Ocean"_s);
        QCOMPARE(saved.palettes.last().colors.first().color, coral);
    }
    // Deleting a palette asks only when it holds colors; the history keeps them.
    void deletePalette() {
        AppDelegate &delegate = launchedWithPicks();
        Library &library = delegate.store()->library();
        QList<QUuid> ids;
        for (const QString &name : {u"Empty"_s, u"Brand “Kit”"_s, u"Two"_s})
            ids.append(library.addPalette(name).id);
        library.pin(navy, ids[1]);
        library.pin(navy, ids[2]);
        library.pin(coral, ids[2]);
        delegate.store()->commit();
        m_presenter->alertAnswers = {0, 1}; // Delete, then Cancel
        for (const QString &name : {u"Empty"_s, u"Brand “Kit”"_s, u"Two"_s})
            trigger({name, u"Delete Palette"_s});
        QCOMPARE(m_presenter->alerts.size(), 2);
        QCOMPARE(m_presenter->alerts.first().messageText, u"Delete \u201CBrand “Kit”\u201D?"_s);
        QVERIFY(m_presenter->alerts.first().informativeText.startsWith(u"Its color is removed"_s));
        QVERIFY(
            m_presenter->alerts.last().informativeText.startsWith(u"Its 2 colors are removed"_s));
        const Library saved = savedLibrary();
        QVERIFY(!saved.palette(ids[0]) && !saved.palette(ids[1]) && saved.palette(ids[2]));
        QCOMPARE(saved.history, (QList<PickedColor>{coral, navy}));
    }
    // Save… replaces a file that is there, and the next dialog opens in its folder; a failed
    // write says where and why, a cancelled dialog nothing.
    void exportSave() {
        launchedWithPicks();
        const QString folder = m_dir->filePath(u"exports"_s);
        const QString path = folder + u"/favorites.css"_s;
        QVERIFY(writeAll(path, QByteArray(4096, 'x')));
        m_presenter->saveAnswers = {path};
        const QStringList css{u"Favorites"_s, u"Export"_s, u"CSS Variables"_s, u"Save…"_s};
        trigger(css);
        QCOMPARE(m_presenter->saves.first().suggestedName, u"favorites.css"_s);
        QCOMPARE(readAll(path), PaletteExport::exportText(favorites(), ExportFormat::css).toUtf8());

        // A folder where the file should go: no one can replace it with a file, root neither.
        const QString blocked = m_dir->filePath(u"blocked.css"_s);
        QVERIFY(QDir().mkpath(blocked));
        m_presenter->saveAnswers = {blocked};
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(u"^Chromet: failed to save export to "_s));
        trigger(css);
        QCOMPARE(m_presenter->saves.last().directory, folder);
        QCOMPARE(m_presenter->alerts.size(), 1);
        QCOMPARE(m_presenter->alerts.first().messageText,
                 u"The file \u201Cblocked.css\u201D couldn't be saved in the folder \u201C"_s +
                     QDir(m_dir->path()).dirName() + u"\u201D."_s);
        // The system's reason, whatever its wording.
        QVERIFY(!m_presenter->alerts.first().informativeText.isEmpty());
        trigger(css); // cancelled: silent
        QCOMPARE(m_presenter->alerts.size(), 1);
    }

private:
    // Launched with two picks, and Favorites holding the older one.
    AppDelegate &launchedWithPicks() {
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
    void pick() {
        m_result.reset();
        m_delegate->pickThen([this](const std::optional<PickedColor> &color) { m_result = color; });
    }
    Palette favorites() const { return m_delegate->store()->library().palettes.first(); }
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
    Library savedLibrary() const {
        return LibraryStore::decode(readAll(m_delegate->store()->path())).value_or(Library{});
    }
    QString settingsTitle() const {
        const SettingsWindowController *settings = m_delegate->settingsWindow();
        const auto *window = settings ? settings->window() : nullptr;
        return window && window->isVisible() ? window->windowTitle() : QString();
    }

    std::optional<std::optional<PickedColor>> m_result;
};

QTEST_MAIN(tst_AppDelegate)
#include "tst_AppDelegate.moc"
