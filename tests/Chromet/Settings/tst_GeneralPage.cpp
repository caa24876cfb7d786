#include "Chromet/App/NotificationCenter.h"
#include "Chromet/App/Preferences.h"
#include "Chromet/Settings/ChrometSettings.h"
#include "Chromet/Settings/GeneralPage.h"
#include "Chromet/Settings/TraylessSection.h"
#include "OrinHotkey/HotKeyRecorder.h"
#include "OrinSettings/AppSection.h"
#include "OrinSettings/CommandBinding.h"
#include "OrinSettings/DockIcon.h"
#include "OrinSettings/LaunchAtLogin.h"
#include "OrinSettings/SettingsDetail.h"
#include "OrinSettings/SettingsRow.h"
#include "OrinSettings/SettingsSidebar.h"
#include "OrinSettings/SettingsSwitch.h"
#include "OrinSettings/SettingsWindowController.h"
#include "OrinSettings/ShortcutSection.h"
#include "OrinSettings/XdgAutostartLoginItem.h"
#include "Support/FakeHotKeyBackend.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

QStringList rowTexts(const SettingsSection &section) {
    QStringList texts;
    for (SettingsRow *row : section.settingsRows())
        texts.append(row->title() + " | " + row->subtitle());
    return texts;
}

} // namespace

// The General page writes every control straight into the preferences (stored at once in the
// settings file) and into the autostart entry, and follows changes made elsewhere.
class tst_GeneralPage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void sectionsAndTexts();
    void formatPickerListsEveryFormatInOrder();
    void formatAndLowercaseHexAreStoredAtOnce();
    void dockSwitchStoresAndApplies();
    void dockSwitchChangesThePolicyByDefault();
    void launchAtLoginWritesTheAutostartEntry();
    void refusedLaunchAtLoginSpringsBack();
    void loginItemRemovedElsewhereShowsOff();
    void recordedShortcutIsStoredAndAnnounced();
    void resetRestoresControlOptionC();
    void changesMadeElsewhereShow();
    void applicationPages();
    void appInfo();
    void windowOpensOnGeneral();
    // Where the desktop lets no app grab a shortcut, the page offers the command for its own key
    // bindings, with a button that copies it, instead of a recorder that could not act.
    void withoutGrabbingOffersTheCommand() {
        ShortcutDesk desk;
        desk.canGrab = false;
        HotKey::setBackend(std::make_unique<FakeHotKeyBackend>(desk));
        std::unique_ptr<QWidget> content(
            ChrometSettings::pages(*m_prefs, m_launch.get(), TraylessSection::Actions{})
                .first()
                .content());
        HotKey::setBackend(nullptr);
        auto *page = qobject_cast<GeneralPage *>(content.get());
        QVERIFY(!page->shortcutSection());
        QVERIFY(!page->findChild<HotKeyRecorder *>());
        QCOMPARE(page->pickCommand()->command(), QStringLiteral("chromet pick"));
        page->pickCommand()->copyButton()->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("chromet pick"));
        QCOMPARE(page->pickCommand()->copyButton()->text(), QStringLiteral("Copied"));
        // Without a tray, the pick row claims no shortcut either.
        QCOMPARE(page->findChild<TraylessSection *>()->pickRow()->subtitle(),
                 QStringLiteral("Or bind a key to chromet pick, as Shortcut below says."));
    }

private:
    std::unique_ptr<GeneralPage> makePage() {
        auto page = std::make_unique<GeneralPage>(
            *m_prefs, m_launch.get(), [this](bool visible) { m_applied.append(visible); });
        page->show();
        return page;
    }
    Preferences reread() const { return Preferences(m_prefs->path()); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<LaunchAtLogin> m_launch;
    std::shared_ptr<XdgAutostartLoginItem> m_loginItem;
    QStringList m_log;
    QList<bool> m_applied;
};

void tst_GeneralPage::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("config"))));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_dir->filePath(QStringLiteral("xdg"))));
    m_prefs = std::make_unique<Preferences>(Preferences::defaultPath());
    m_loginItem = std::make_shared<XdgAutostartLoginItem>(XdgAutostartLoginItem::forApplication());
    m_log.clear();
    m_applied.clear();
    m_launch = std::make_unique<LaunchAtLogin>(m_loginItem,
                                               [this](const QString &line) { m_log.append(line); });
}

void tst_GeneralPage::cleanup() {
    m_launch.reset();
    m_prefs.reset();
    m_dir.reset();
}

void tst_GeneralPage::sectionsAndTexts() {
    auto page = makePage();
    QCOMPARE(page->sections().size(), 3);
    QCOMPARE(page->sections().at(0)->header(), QStringLiteral("Shortcut"));
    QCOMPARE(page->sections().at(1)->header(), QStringLiteral("Copy"));
    QCOMPARE(page->sections().at(2)->header(), QStringLiteral("App"));
    QCOMPARE(rowTexts(*page->shortcutSection()), QStringList{"Pick Color | Works in every app."});
    QCOMPARE(page->shortcutSection()->footer(),
             QStringLiteral("Click the shortcut, then press a new one. Esc cancels."));
    QCOMPARE(rowTexts(*page->copySection()),
             (QStringList{"Default format | Copied after every pick.",
                          "Lowercase HEX | #3a7bd5 instead of #3A7BD5."}));
    QCOMPARE(rowTexts(*page->appSection()),
             (QStringList{"Launch at login | Start Chromet quietly when you log in.",
                          "Show in taskbar | Off: Chromet lives in the tray only."}));
    QCOMPARE(page->shortcutSection()->recorder()->combo(), Preferences::defaultHotKey);
    QCOMPARE(page->shortcutSection()->recorder()->defaultCombo(),
             HotKeyCombo(8, HotKeyCombo::controlKey | HotKeyCombo::optionKey));
    QVERIFY(!page->lowercaseHexSwitch()->isChecked());
    QVERIFY(!page->appSection()->dockIconSwitch()->isChecked());
    QVERIFY(!page->appSection()->launchAtLoginSwitch()->isChecked());
}

void tst_GeneralPage::formatPickerListsEveryFormatInOrder() {
    auto page = makePage();
    QStringList expected;
    for (const ColorFormat format : ColorFormats::allCases())
        expected.append(ColorFormats::displayName(format));
    QStringList shown;
    for (int i = 0; i < page->formatPicker()->count(); ++i)
        shown.append(page->formatPicker()->itemText(i));
    QCOMPARE(shown.size(), 10);
    QCOMPARE(shown, expected);
    QCOMPARE(page->formatPicker()->currentText(), ColorFormats::displayName(ColorFormat::hex));
}

void tst_GeneralPage::formatAndLowercaseHexAreStoredAtOnce() {
    auto page = makePage();
    QComboBox *picker = page->formatPicker();
    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_End);
    QCOMPARE(picker->currentText(), ColorFormats::displayName(ColorFormat::tailwind));
    QCOMPARE(m_prefs->defaultFormat(), ColorFormat::tailwind);
    QCOMPARE(reread().defaultFormat(), ColorFormat::tailwind);
    QTest::keyClick(picker, Qt::Key_Home);
    QTest::keyClick(picker, Qt::Key_Down);
    QCOMPARE(reread().defaultFormat(), ColorFormat::rgb);

    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    QTest::mouseClick(page->lowercaseHexSwitch(), Qt::LeftButton);
    QVERIFY(m_prefs->lowercaseHex());
    QVERIFY(reread().lowercaseHex());
    QTest::mouseClick(page->lowercaseHexSwitch(), Qt::LeftButton);
    QVERIFY(!reread().lowercaseHex());
}

void tst_GeneralPage::dockSwitchStoresAndApplies() {
    auto page = makePage();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    QVERIFY(m_applied.isEmpty());
    SettingsSwitch *dock = page->appSection()->dockIconSwitch();
    QTest::mouseClick(dock, Qt::LeftButton);
    QVERIFY(reread().showDockIcon());
    QCOMPARE(m_applied, QList<bool>{true});
    QTest::mouseClick(dock, Qt::LeftButton);
    QVERIFY(!reread().showDockIcon());
    QCOMPARE(m_applied, (QList<bool>{true, false}));
}

void tst_GeneralPage::dockSwitchChangesThePolicyByDefault() {
    GeneralPage page(*m_prefs, m_launch.get());
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    DockIcon::apply(false);
    QTest::mouseClick(page.appSection()->dockIconSwitch(), Qt::LeftButton);
    QCOMPARE(DockIcon::activationPolicy(), ActivationPolicy::regular);
    QTest::mouseClick(page.appSection()->dockIconSwitch(), Qt::LeftButton);
    QCOMPARE(DockIcon::activationPolicy(), ActivationPolicy::accessory);
    QVERIFY(!m_prefs->showDockIcon());
}

void tst_GeneralPage::launchAtLoginWritesTheAutostartEntry() {
    auto page = makePage();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    SettingsSwitch *launch = page->appSection()->launchAtLoginSwitch();
    QTest::mouseClick(launch, Qt::LeftButton);
    QVERIFY(launch->isChecked());
    const QString entryPath = m_loginItem->userEntryPath();
    QVERIFY(entryPath.startsWith(m_dir->path()));
    const auto entry = XdgAutostartLoginItem::readEntry(entryPath);
    QVERIFY(entry);
    QCOMPARE(entry->value("Exec"), QCoreApplication::applicationFilePath());
    QTest::mouseClick(launch, Qt::LeftButton);
    QVERIFY(!launch->isChecked());
    QVERIFY(!QFileInfo::exists(entryPath));
    QVERIFY(m_log.isEmpty());
}

void tst_GeneralPage::refusedLaunchAtLoginSpringsBack() {
    // A file where the autostart folder belongs refuses the change for any user.
    const QString folder = QFileInfo(m_loginItem->userEntryPath()).path();
    QVERIFY(QDir().mkpath(QFileInfo(folder).path()));
    QFile blocker(folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    auto page = makePage();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    SettingsSwitch *launch = page->appSection()->launchAtLoginSwitch();
    QTest::mouseClick(launch, Qt::LeftButton);
    QVERIFY(!launch->isChecked());
    QVERIFY(!m_launch->isEnabled());
    QVERIFY(m_launch->lastError());
    QCOMPARE(m_log.size(), 1);
    QVERIFY2(
        m_log.first().startsWith(QStringLiteral("launch at login change failed: cannot create ")),
        qPrintable(m_log.first()));
    QVERIFY(!QApplication::activeModalWidget());
}

void tst_GeneralPage::loginItemRemovedElsewhereShowsOff() {
    QVERIFY(!m_loginItem->setEnabled(true));
    m_launch->refresh();
    auto page = makePage();
    QVERIFY(page->appSection()->launchAtLoginSwitch()->isChecked());
    page->hide();
    QVERIFY(QFile::remove(m_loginItem->userEntryPath()));
    page->show();
    QVERIFY(!page->appSection()->launchAtLoginSwitch()->isChecked());
}

void tst_GeneralPage::recordedShortcutIsStoredAndAnnounced() {
    auto page = makePage();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    QSignalSpy announced(&NotificationCenter::instance(), &NotificationCenter::posted);
    HotKeyRecorder *recorder = page->shortcutSection()->recorder();
    QTest::mouseClick(recorder->field(), Qt::LeftButton);
    QTest::keyClick(recorder->field(), Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    const HotKeyCombo recorded(40, HotKeyCombo::controlKey | HotKeyCombo::shiftKey);
    QCOMPARE(m_prefs->hotKey(), recorded);
    QCOMPARE(reread().hotKey(), recorded);
    QCOMPARE(announced.count(), 1);
    QCOMPARE(announced.first().first().toString(), QStringLiteral("ChrometHotKeyChanged"));
    QCOMPARE(recorder->combo(), recorded);
}

void tst_GeneralPage::resetRestoresControlOptionC() {
    m_prefs->setHotKey(HotKeyCombo(40, HotKeyCombo::cmdKey));
    auto page = makePage();
    QVERIFY(QTest::qWaitForWindowExposed(page.get()));
    HotKeyRecorder *recorder = page->shortcutSection()->recorder();
    QVERIFY(recorder->resetButton()->isVisible());
    QCOMPARE(recorder->resetButton()->toolTip(), QStringLiteral("Reset to Ctrl+Alt+C"));
    QTest::mouseClick(recorder->resetButton(), Qt::LeftButton);
    QCOMPARE(reread().hotKey(), Preferences::defaultHotKey);
    QVERIFY(!recorder->resetButton()->isVisible());
}

void tst_GeneralPage::changesMadeElsewhereShow() {
    auto page = makePage();
    m_prefs->setLowercaseHex(true);
    QVERIFY(page->lowercaseHexSwitch()->isChecked());
    m_prefs->setDefaultFormat(ColorFormat::oklch);
    QCOMPARE(page->formatPicker()->currentText(), ColorFormats::displayName(ColorFormat::oklch));
    m_prefs->setShowDockIcon(true);
    QVERIFY(page->appSection()->dockIconSwitch()->isChecked());
    m_prefs->setHotKey(HotKeyCombo(0, HotKeyCombo::cmdKey | HotKeyCombo::optionKey));
    QCOMPARE(page->shortcutSection()->recorder()->combo(),
             HotKeyCombo(0, HotKeyCombo::cmdKey | HotKeyCombo::optionKey));
    // Shown, not written back: nothing was applied or announced twice.
    QVERIFY(m_applied.isEmpty());
}

void tst_GeneralPage::applicationPages() {
    const QList<SettingsPage> pages = ChrometSettings::pages(*m_prefs, m_launch.get());
    QCOMPARE(pages.size(), 1);
    const SettingsPage &general = pages.first();
    QCOMPARE(general.id, QStringLiteral("general"));
    QCOMPARE(general.title, QStringLiteral("General"));
    QCOMPARE(general.keywords, (QStringList{"shortcut", "hotkey", "login", "dock", "format", "hex",
                                            "lowercase", "copy", "taskbar", "tray"}));
    std::unique_ptr<QWidget> content(general.content());
    QVERIFY(qobject_cast<GeneralPage *>(content.get()));
}

void tst_GeneralPage::appInfo() {
    const SettingsAppInfo info = ChrometSettings::appInfo();
    QCOMPARE(info.id, QStringLiteral("chromet"));
    QCOMPARE(info.name, QStringLiteral("Chromet"));
    QCOMPARE(info.tagline, QStringLiteral("Pick any color on screen and copy it as code."));
    QCOMPARE(info.versionText(),
             QStringLiteral(CHROMET_EXPECTED_VERSION " (" CHROMET_EXPECTED_BUILD_NUMBER ")"));
    for (const QUrl &url : {info.website, info.changelog, info.support})
        QVERIFY(url.isValid() && !url.scheme().isEmpty());
}

void tst_GeneralPage::windowOpensOnGeneral() {
    auto controller =
        ChrometSettings::makeWindowController(*m_prefs, nullptr, nullptr, m_launch.get());
    controller->show(QStringLiteral("general"));
    SettingsWindow *window = controller->window();
    QCOMPARE(window->windowTitle(), QStringLiteral("General"));
    QVERIFY(qobject_cast<GeneralPage *>(window->detail()->content()));
    QTest::keyClicks(window->searchField(), QStringLiteral("startup"));
    QCOMPARE(window->sidebar()->rowTitles(), QStringList{"General"});
    controller->show(QStringLiteral("about"));
    QCOMPARE(window->windowTitle(), QStringLiteral("About"));
    QCOMPARE(window->sidebar()->rowTitles(), (QStringList{"General", "About"}));
}

QTEST_MAIN(tst_GeneralPage)
#include "tst_GeneralPage.moc"
