#include "Chromet/App/Preferences.h"
#include "Chromet/Settings/ChrometSettings.h"
#include "Chromet/Settings/GeneralPage.h"
#include "Chromet/Settings/TraylessSection.h"
#include "OrinHotkey/HotKeyRecorder.h"
#include "OrinSettings/AppSection.h"
#include "OrinSettings/CommandBinding.h"
#include "OrinSettings/DockIcon.h"
#include "OrinSettings/LaunchAtLogin.h"
#include "OrinSettings/SettingsPage.h"
#include "OrinSettings/SettingsRow.h"
#include "OrinSettings/SettingsSwitch.h"
#include "OrinSettings/ShortcutSection.h"
#include "OrinSettings/XdgAutostartLoginItem.h"
#include "Support/FakeHotKeyBackend.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// The General page writes every control straight into the preferences (stored at once in the
// settings file) and into the autostart entry, and follows changes made elsewhere.
class tst_GeneralPage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath(u"config"_s)));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_dir->filePath(u"xdg"_s)));
        m_prefs = std::make_unique<Preferences>(Preferences::defaultPath());
        m_loginItem =
            std::make_shared<XdgAutostartLoginItem>(XdgAutostartLoginItem::forApplication());
        m_log.clear();
        m_launch = std::make_unique<LaunchAtLogin>(
            m_loginItem, [this](const QString &line) { m_log.append(line); });
    }
    void cleanup() {
        m_launch.reset();
        m_prefs.reset();
        m_dir.reset();
    }
    // The dock switch also sets the taskbar policy; a change made elsewhere only shows.
    void controlsAreStoredAtOnce() {
        auto page = makePage();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
        DockIcon::apply(false);
        QComboBox *picker = page->formatPicker();
        picker->setFocus();
        QTest::keyClick(picker, Qt::Key_End);
        QCOMPARE(reread().defaultFormat(), ColorFormat::tailwind);
        QTest::keyClick(picker, Qt::Key_Home);
        QTest::keyClick(picker, Qt::Key_Down);
        QCOMPARE(reread().defaultFormat(), ColorFormat::rgb);
        QTest::mouseClick(page->lowercaseHexSwitch(), Qt::LeftButton);
        QVERIFY(reread().lowercaseHex());
        SettingsSwitch *dock = page->appSection()->dockIconSwitch();
        QTest::mouseClick(dock, Qt::LeftButton);
        QVERIFY(reread().showDockIcon());
        QCOMPARE(DockIcon::activationPolicy(), ActivationPolicy::regular);
        QTest::mouseClick(dock, Qt::LeftButton);
        QVERIFY(!reread().showDockIcon());
        QCOMPARE(DockIcon::activationPolicy(), ActivationPolicy::accessory);

        HotKeyRecorder *recorder = page->shortcutSection()->recorder();
        QTest::mouseClick(recorder->field(), Qt::LeftButton);
        QTest::keyClick(recorder->field(), Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(reread().hotKey(),
                 HotKeyCombo(40, HotKeyCombo::controlKey | HotKeyCombo::shiftKey));

        m_prefs->setLowercaseHex(false);
        QVERIFY(!page->lowercaseHexSwitch()->isChecked());
        m_prefs->setDefaultFormat(ColorFormat::oklch);
        QCOMPARE(picker->currentText(), u"OKLCH"_s);
        m_prefs->setShowDockIcon(true);
        QVERIFY(dock->isChecked());
        QCOMPARE(DockIcon::activationPolicy(), ActivationPolicy::accessory);
        m_prefs->setHotKey(HotKeyCombo(0, HotKeyCombo::cmdKey));
        QCOMPARE(recorder->combo(), HotKeyCombo(0, HotKeyCombo::cmdKey));
    }
    void launchAtLoginWritesTheAutostartEntry() {
        auto page = makePage();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
        SettingsSwitch *launch = page->appSection()->launchAtLoginSwitch();
        QTest::mouseClick(launch, Qt::LeftButton);
        const QString entryPath = m_loginItem->userEntryPath();
        QVERIFY(entryPath.startsWith(m_dir->path()));
        QCOMPARE(XdgAutostartLoginItem::readEntry(entryPath)->value("Exec"),
                 QCoreApplication::applicationFilePath());
        // Removed elsewhere: shown off when the page comes on screen again.
        page->hide();
        QVERIFY(QFile::remove(entryPath));
        page->show();
        QVERIFY(!launch->isChecked());
        QVERIFY(m_log.isEmpty());
    }
    void applicationPages() {
        const QList<SettingsPage> pages = ChrometSettings::pages(*m_prefs, m_launch.get());
        QCOMPARE(pages.size(), 1);
        std::unique_ptr<QWidget> content(pages.first().content());
        QVERIFY(qobject_cast<GeneralPage *>(content.get()));
        QCOMPARE(ChrometSettings::appInfo().versionText(),
                 QStringLiteral(CHROMET_EXPECTED_VERSION " (" CHROMET_EXPECTED_BUILD_NUMBER ")"));
    }
    // Where the desktop lets no app grab a shortcut, the page offers the command for its own key
    // bindings, with a button that copies it, instead of a recorder that could not act.
    void withoutGrabbingOffersTheCommand() {
        ShortcutDesk desk;
        desk.canGrab = false;
        const auto content = pageWith(desk, TraylessSection::Actions{});
        auto *page = qobject_cast<GeneralPage *>(content.get());
        QVERIFY(!page->shortcutSection());
        QVERIFY(!page->findChild<HotKeyRecorder *>());
        QCOMPARE(page->pickCommand()->command(), u"chromet pick"_s);
        page->pickCommand()->copyButton()->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), u"chromet pick"_s);
        QCOMPARE(page->pickCommand()->copyButton()->text(), u"Copied"_s);
        // Without a tray, the pick row claims no shortcut either.
        QCOMPARE(page->findChild<TraylessSection *>()->pickRow()->subtitle(),
                 u"Or bind a key to chromet pick, as Shortcut below says."_s);
    }
    // Where the desktop assigns the trigger itself, the page says which one it chose.
    void showsTheTriggerTheDesktopAssigned() {
        ShortcutDesk desk;
        desk.triggerDescription = u"Super+P"_s;
        const auto content = pageWith(desk);
        QVERIFY(qobject_cast<GeneralPage *>(content.get())
                    ->shortcutSection()
                    ->footer()
                    .startsWith(u"Your desktop runs Pick Color on Super+P;"_s));
    }

private:
    std::unique_ptr<GeneralPage> makePage() {
        auto page = std::make_unique<GeneralPage>(*m_prefs, m_launch.get());
        page->show();
        return page;
    }
    // The application's page, made while `desk` plays the desktop's shortcut service.
    std::unique_ptr<QWidget> pageWith(ShortcutDesk &desk,
                                      std::optional<TraylessSection::Actions> trayless = {}) {
        HotKey::setBackend(std::make_unique<FakeHotKeyBackend>(desk));
        std::unique_ptr<QWidget> content(
            ChrometSettings::pages(*m_prefs, m_launch.get(), trayless).first().content());
        content->show();
        HotKey::setBackend(nullptr);
        return content;
    }
    Preferences reread() const { return Preferences(m_prefs->path()); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<LaunchAtLogin> m_launch;
    std::shared_ptr<XdgAutostartLoginItem> m_loginItem;
    QStringList m_log;
};

QTEST_MAIN(tst_GeneralPage)
#include "tst_GeneralPage.moc"
