#include "OrinHotkey/HotKeyRecorder.h"
#include "OrinHotkey/KeyCaps.h"
#include "OrinSettings/AppSection.h"
#include "OrinSettings/LaunchAtLogin.h"
#include "OrinSettings/SettingsRow.h"
#include "OrinSettings/SettingsSwitch.h"
#include "OrinSettings/ShortcutSection.h"
#include "Support/FakeLoginItemService.h"

#include <QLabel>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

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
        QVERIFY(!section.recorder()->resetButton()->isVisible());
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

QTEST_MAIN(tst_SettingsSections)
#include "tst_SettingsSections.moc"
