#include "OrinHotkey/HotKeyRecorder.h"
#include "OrinHotkey/KeyCaps.h"
#include "OrinSettings/AppSection.h"
#include "OrinSettings/FakeLoginItemService.h"
#include "OrinSettings/LaunchAtLogin.h"
#include "OrinSettings/SettingsRow.h"
#include "OrinSettings/SettingsSwitch.h"
#include "OrinSettings/ShortcutSection.h"

#include <QLabel>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

const HotKeyCombo controlOptionC{8, HotKeyCombo::controlKey | HotKeyCombo::optionKey};

QStringList rowTexts(const SettingsSection &section) {
    QStringList texts;
    for (QWidget *row : section.rows()) {
        if (auto *settingsRow = qobject_cast<SettingsRow *>(row))
            texts.append(settingsRow->title() + " | " + settingsRow->subtitle());
        else if (auto *label = qobject_cast<QLabel *>(row))
            texts.append(label->text());
    }
    return texts;
}

} // namespace

// The two reusable sections: the shortcut recorder with its hints, and start at login with the
// taskbar switch.
class tst_SettingsSections : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void shortcutSectionRows();
    void shortcutSectionWithPanelKeys();
    void shortcutSectionWritesTheBinding();
    void appSectionRows();
    void launchSwitchAsksTheService();
    void dockSwitchWritesThenCallsBack();

private:
    std::shared_ptr<FakeLoginItemService> m_service;
    std::unique_ptr<LaunchAtLogin> m_launch;
    QStringList m_log;
};

void tst_SettingsSections::init() {
    m_service = std::make_shared<FakeLoginItemService>();
    m_log.clear();
    m_launch = std::make_unique<LaunchAtLogin>(m_service,
                                               [this](const QString &line) { m_log.append(line); });
}

void tst_SettingsSections::shortcutSectionRows() {
    HotKeyCombo stored{40, HotKeyCombo::cmdKey};
    ShortcutSection section(QStringLiteral("Pick"), QStringLiteral("Anywhere."),
                            Binding<HotKeyCombo>{[&] { return stored; }, {}}, controlOptionC);
    QCOMPARE(section.header(), QStringLiteral("Shortcut"));
    QCOMPARE(section.footer(),
             QStringLiteral("Click the shortcut, then press a new one. Esc cancels."));
    QCOMPARE(rowTexts(section), QStringList{"Pick | Anywhere."});
    QCOMPARE(section.settingsRows().first()->control(), section.recorder());
    QCOMPARE(section.recorder()->combo(), stored);
    QCOMPARE(section.recorder()->defaultCombo(), controlOptionC);
    QVERIFY(!section.findChild<QLabel *>(QStringLiteral("caption")));
}

void tst_SettingsSections::shortcutSectionWithPanelKeys() {
    auto *extra = new SettingsRow(QStringLiteral("Extra"), QString(), new QLabel);
    ShortcutSection section(
        QStringLiteral("Pick"), QStringLiteral("Anywhere."),
        Binding<HotKeyCombo>{[] { return controlOptionC; }, {}}, controlOptionC,
        {{QStringLiteral("Move"), {"←", "→"}}, {QStringLiteral("Pick"), {"↩", "↩"}}}, {extra});
    QCOMPARE(rowTexts(section),
             (QStringList{"Pick | Anywhere.", "Extra | ", "In the panel", "Move | ", "Pick | "}));
    const QList<SettingsRow *> rows = section.settingsRows();
    QCOMPARE(qobject_cast<KeyCaps *>(rows.at(2)->control())->keys(), (QStringList{"←", "→"}));
    // The same key twice is two caps.
    QCOMPARE(qobject_cast<KeyCaps *>(rows.at(3)->control())->caps().size(), 2);
}

void tst_SettingsSections::shortcutSectionWritesTheBinding() {
    HotKeyCombo stored{40, HotKeyCombo::cmdKey};
    QList<HotKeyCombo> writes;
    ShortcutSection section(QStringLiteral("Pick"), QString(),
                            Binding<HotKeyCombo>{[&] { return stored; },
                                                 [&](const HotKeyCombo &combo) {
                                                     writes.append(combo);
                                                     stored = combo;
                                                 }},
                            controlOptionC);
    section.show();
    QVERIFY(QTest::qWaitForWindowExposed(&section));
    QVERIFY(section.recorder()->resetButton()->isVisible());
    QTest::mouseClick(section.recorder()->resetButton(), Qt::LeftButton);
    QCOMPARE(writes, QList<HotKeyCombo>{controlOptionC});
    QVERIFY(!section.recorder()->resetButton()->isVisible());

    // Changed elsewhere: shown again when refreshed.
    stored = HotKeyCombo{0, HotKeyCombo::cmdKey | HotKeyCombo::shiftKey};
    section.refresh();
    QCOMPARE(section.recorder()->combo(), stored);
}

void tst_SettingsSections::appSectionRows() {
    AppSection section(QStringLiteral("Picker"), m_launch.get(),
                       Binding<bool>{[] { return true; }, {}}, {});
    QCOMPARE(section.header(), QStringLiteral("App"));
    QCOMPARE(rowTexts(section),
             (QStringList{"Launch at login | Start Picker quietly when you log in.",
                          "Show in taskbar | Off: Picker lives in the tray only."}));
    QVERIFY(section.dockIconSwitch()->isChecked());
    QVERIFY(!section.launchAtLoginSwitch()->isChecked());
}

void tst_SettingsSections::launchSwitchAsksTheService() {
    AppSection section(QStringLiteral("Picker"), m_launch.get(), Binding<bool>{}, {});
    section.show();
    QVERIFY(QTest::qWaitForWindowExposed(&section));
    QTest::mouseClick(section.launchAtLoginSwitch(), Qt::LeftButton);
    QCOMPARE(m_service->requests, QList<bool>{true});
    QVERIFY(m_launch->isEnabled());
    QVERIFY(section.launchAtLoginSwitch()->isChecked());
    // A change from elsewhere in the program shows at once.
    m_launch->setEnabled(false);
    QVERIFY(!section.launchAtLoginSwitch()->isChecked());
}

void tst_SettingsSections::dockSwitchWritesThenCallsBack() {
    bool stored = false;
    QStringList events;
    AppSection section(QStringLiteral("Picker"), m_launch.get(),
                       Binding<bool>{[&] { return stored; },
                                     [&](const bool &value) {
                                         stored = value;
                                         events.append(QStringLiteral("set %1").arg(value));
                                     }},
                       [&](bool visible) {
                           QCOMPARE(stored, visible);
                           events.append(QStringLiteral("apply %1").arg(visible));
                       });
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
}

QTEST_MAIN(tst_SettingsSections)
#include "tst_SettingsSections.moc"
