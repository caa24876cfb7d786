#include "OrinHotkey/HotKeyRecorder.h"
#include "OrinHotkey/KeyCaps.h"
#include "OrinSettings/AboutPage.h"
#include "OrinSettings/AppSection.h"
#include "OrinSettings/LaunchAtLogin.h"
#include "OrinSettings/SettingsRow.h"
#include "OrinSettings/SettingsSwitch.h"
#include "OrinSettings/ShortcutSection.h"
#include "OrinUpdates/LinkUpdater.h"
#include "Support/FakeLoginItemService.h"

#include <QLabel>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

class CountingUpdater final : public Updater {
public:
    int checks = 0;
    bool isAvailable() const override { return true; }
    void checkForUpdates() override { ++checks; }
};

SettingsAppInfo appInfo() {
    SettingsAppInfo info;
    info.id = u"picker"_s;
    info.name = u"Picker"_s;
    info.website = QUrl(u"https://example.org/"_s);
    info.changelog = QUrl(u"https://example.org/releases"_s);
    info.support = QUrl(u"mailto:help@example.org"_s);
    info.shortVersion = u"1.0"_s;
    info.buildNumber = u"27"_s;
    return info;
}

// "Title | subtitle" of each settings row; the text of a plain label or a link button.
QStringList rowTexts(const SettingsSection &section) {
    QStringList texts;
    for (QWidget *row : section.rows()) {
        if (auto *settingsRow = qobject_cast<SettingsRow *>(row))
            texts.append(settingsRow->title() + u" | "_s + settingsRow->subtitle());
        else if (auto *label = qobject_cast<QLabel *>(row))
            texts.append(label->text());
        else if (auto *button = row->findChild<QAbstractButton *>())
            texts.append(button->text());
    }
    return texts;
}

const HotKeyCombo controlOptionC{8, HotKeyCombo::controlKey | HotKeyCombo::optionKey};

} // namespace

// The About page, the shortcut section with its hints, and the start at login section with the
// taskbar switch.
class tst_SettingsPages : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The version, the update command only when offered, and the three links.
    void aboutPage() {
        CountingUpdater updater;
        const SettingsPage descriptor = AboutPage::page(appInfo(), &updater);
        std::unique_ptr<QWidget> content(descriptor.content());
        auto *page = qobject_cast<AboutPage *>(content.get());
        QVERIFY(page);
        QCOMPARE(
            rowTexts(*page->sections().first()),
            (QStringList{"Version | ", "Updates | ", "Website", "What's New", "Contact Support"}));
        QCOMPARE(page->findChild<QLabel *>(u"version"_s)->text(), u"1.0 (27)"_s);
        QList<QUrl> opened;
        AboutPage::setUrlOpener([&](const QUrl &url) { opened.append(url); });
        const auto restore = qScopeGuard([] { AboutPage::setUrlOpener({}); });
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page));
        QTest::mouseClick(page->checkForUpdatesButton(), Qt::LeftButton);
        QCOMPARE(updater.checks, 1);
        for (QAbstractButton *link : page->linkButtons())
            QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(opened, (QList<QUrl>{QUrl(u"https://example.org/"_s),
                                      QUrl(u"https://example.org/releases"_s),
                                      QUrl(u"mailto:help@example.org"_s)}));
        // Without an update command, searching for updates does not find the page.
        QVERIFY(descriptor.keywords.contains(u"update"_s));
        QCOMPARE(AboutPage::page(appInfo(), nullptr).keywords,
                 (QStringList{"about", "version", "website", "support"}));
        LinkUpdater links(QUrl(u"https://example.org/releases"_s));
        for (Updater *none : {static_cast<Updater *>(&links), static_cast<Updater *>(nullptr)}) {
            AboutPage without(appInfo(), none);
            QVERIFY(!without.checkForUpdatesButton());
            QCOMPARE(rowTexts(*without.sections().first()).size(), 4);
        }
    }
    void shortcutSection() {
        HotKeyCombo stored{40, HotKeyCombo::cmdKey};
        QList<HotKeyCombo> writes;
        auto *extra = new SettingsRow(u"Extra"_s, QString(), new QLabel);
        ShortcutSection section(u"Pick"_s, u"Anywhere."_s,
                                Binding<HotKeyCombo>{[&] { return stored; },
                                                     [&](const HotKeyCombo &combo) {
                                                         writes.append(combo);
                                                         stored = combo;
                                                     }},
                                controlOptionC, {{u"Move"_s, {"←", "→"}}, {u"Pick"_s, {"↩", "↩"}}},
                                {extra});
        QCOMPARE(rowTexts(section), (QStringList{"Pick | Anywhere.", "Extra | ", "In the panel",
                                                 "Move | ", "Pick | "}));
        // The same key twice is two caps.
        QCOMPARE(qobject_cast<KeyCaps *>(section.settingsRows().at(3)->control())->caps().size(),
                 2);
        QCOMPARE(section.recorder()->combo(), stored);

        section.show();
        QVERIFY(QTest::qWaitForWindowExposed(&section));
        QTest::mouseClick(section.recorder()->resetButton(), Qt::LeftButton);
        QCOMPARE(writes, QList<HotKeyCombo>{controlOptionC});
        // Changed elsewhere: shown again when refreshed.
        stored = HotKeyCombo{0, HotKeyCombo::cmdKey | HotKeyCombo::shiftKey};
        section.refresh();
        QCOMPARE(section.recorder()->combo(), stored);
    }
    void appSection() {
        auto service = std::make_shared<FakeLoginItemService>();
        LaunchAtLogin launch(service, [](const QString &) {});
        bool stored = false;
        QStringList events;
        AppSection section(u"Picker"_s, &launch,
                           Binding<bool>{[&] { return stored; },
                                         [&](const bool &value) {
                                             stored = value;
                                             events.append(u"set %1"_s.arg(value));
                                         }},
                           [&](bool visible) {
                               QCOMPARE(stored, visible);
                               events.append(u"apply %1"_s.arg(visible));
                           });
        QCOMPARE(rowTexts(section),
                 (QStringList{"Launch at login | Start Picker quietly when you log in.",
                              "Show in taskbar | Off: Picker lives in the tray only."}));
        section.show();
        QVERIFY(QTest::qWaitForWindowExposed(&section));
        QVERIFY(events.isEmpty()); // not for the initial value
        QTest::mouseClick(section.dockIconSwitch(), Qt::LeftButton);
        QTest::mouseClick(section.dockIconSwitch(), Qt::LeftButton);
        QCOMPARE(events, (QStringList{"set 1", "apply 1", "set 0", "apply 0"}));
        // Coming on screen again shows the stored value without calling back.
        stored = true;
        section.hide();
        section.show();
        QVERIFY(section.dockIconSwitch()->isChecked());
        QCOMPARE(events.size(), 4);

        QTest::mouseClick(section.launchAtLoginSwitch(), Qt::LeftButton);
        QCOMPARE(service->requests, QList<bool>{true});
        // A change from elsewhere in the program shows at once.
        launch.setEnabled(false);
        QVERIFY(!section.launchAtLoginSwitch()->isChecked());
    }
};

QTEST_MAIN(tst_SettingsPages)
#include "tst_SettingsPages.moc"
