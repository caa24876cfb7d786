#include "OrinHotkey/HotKeyCombo.h"
#include "OrinHotkey/KeyboardLayout.h"
#include "OrinHotkey/XkbKeyboardMap.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

std::shared_ptr<XkbKeyboardMap> layout(const QString &names, const QString &variant = {},
                                       std::optional<quint32> active = {}) {
    return XkbKeyboardMap::fromNames({{}, {}, names, variant, {}}, active);
}

} // namespace

// Key names by keyboard layout, and the combinations shown and stored with them.
class tst_KeyboardLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { KeyboardLayout::setProvider({}); }

    void usCharacters() {
        const auto us = layout(u"us"_s);
        QVERIFY(us);
        QCOMPARE(us->character(8), u"c"_s);
        QCOMPARE(us->character(18), u"1"_s);
        // Return, Tab, Escape, Backspace and keypad Enter type control characters: no text.
        for (quint32 code : {36u, 48u, 53u, 51u, 76u, 52u, 200u})
            QCOMPARE(us->character(code), std::nullopt);
        QVERIFY(!XkbKeyboardMap::fromNames({{}, {}, u"no-such-layout"_s, {}, {}}));
    }

    void displayName_data() {
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("variant");
        QTest::addColumn<int>("active"); // -1: none
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<QString>("name");
        const QString us = u"us"_s;
        QTest::newRow("forward Delete") << us << QString() << -1 << 117u << u"Del"_s;
        QTest::newRow("letter upper-cased") << us << QString() << -1 << 8u << u"C"_s;
        QTest::newRow("Print") << us << QString() << -1 << 355u << u"Print"_s;
        QTest::newRow("keymap's symbol") << us << QString() << -1 << 396u << u"Calculator"_s;
        QTest::newRow("key the keymap leaves empty") << us << QString() << -1 << 452u << u"#452"_s;
        QTest::newRow("largest code") << us << QString() << -1 << 4294967295u << u"#4294967295"_s;
        QTest::newRow("German swaps Z and Y") << u"de"_s << QString() << -1 << 6u << u"Y"_s;
        // Full upper-casing: the sharp s becomes two letters.
        QTest::newRow("sharp s") << u"de"_s << QString() << -1 << 27u << u"SS"_s;
        // A dead key shows its accent, not composed with anything.
        QTest::newRow("dead key") << u"de"_s << QString() << -1 << 50u << u"^"_s;
        QTest::newRow("dvorak") << us << u"dvorak"_s << -1 << 8u << u"J"_s;
        // A non-Latin layout's names come from its Latin group, whichever group is active.
        QTest::newRow("ru,us") << u"ru,us"_s << QString() << -1 << 8u << u"C"_s;
        QTest::newRow("ru,us with ru active") << u"ru,us"_s << QString() << 0 << 8u << u"C"_s;
        QTest::newRow("group beyond the keymap's") << u"ru,us"_s << QString() << 7 << 8u << u"C"_s;
        QTest::newRow("active Latin group wins") << u"us,de"_s << QString() << 1 << 6u << u"Y"_s;
        QTest::newRow("first Latin group active") << u"us,de"_s << QString() << 0 << 6u << u"Z"_s;
        QTest::newRow("no Latin group") << u"ru"_s << QString() << -1 << 8u << u"#8"_s;
    }
    void displayName() {
        QFETCH(QString, names);
        QFETCH(QString, variant);
        QFETCH(int, active);
        QFETCH(quint32, keyCode);
        QFETCH(QString, name);
        const auto map =
            layout(names, variant, active < 0 ? std::nullopt : std::optional<quint32>(active));
        QVERIFY(map);
        QCOMPARE(KeyboardLayout::displayName(keyCode, map.get()), name);
    }

    void keyCodeForCharacter_data() {
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("variant");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -1: none
        const QString us = u"us"_s;
        QTest::newRow("V, any case") << us << QString() << u"V"_s << 9;
        QTest::newRow("lowest code wins over the keypad") << us << QString() << u"/"_s << 44;
        QTest::newRow("keypad only") << us << QString() << u"*"_s << 67;
        QTest::newRow("shifted only") << us << QString() << u"?"_s << -1;
        QTest::newRow("not on the keyboard") << us << QString() << u"\u00E9"_s << -1;
        QTest::newRow("two characters") << us << QString() << u"vv"_s << -1;
        QTest::newRow("dvorak v") << us << u"dvorak"_s << u"v"_s << 47;
        QTest::newRow("azerty a") << u"fr"_s << QString() << u"a"_s << 12;
        QTest::newRow("russian+us v") << u"ru,us"_s << QString() << u"v"_s << 9;
    }
    void keyCodeForCharacter() {
        QFETCH(QString, names);
        QFETCH(QString, variant);
        QFETCH(QString, text);
        QFETCH(int, expected);
        const auto map = layout(names, variant);
        QVERIFY(map);
        KeyboardLayout::setProvider([map] { return map; });
        QCOMPARE(KeyboardLayout::keyCodeForCharacter(text),
                 expected < 0 ? std::nullopt : std::optional<quint32>(quint32(expected)));
    }

    void providerIsReadOnEveryLookup() {
        std::shared_ptr<const KeyboardMap> current = layout(u"us"_s);
        int reads = 0;
        KeyboardLayout::setProvider([&] {
            ++reads;
            return current;
        });
        QCOMPARE(KeyboardLayout::displayName(6), u"Z"_s);
        current = layout(u"de"_s);
        QCOMPARE(KeyboardLayout::displayName(6), u"Y"_s);
        QCOMPARE(reads, 2);
        // Fixed names need no layout.
        QCOMPARE(KeyboardLayout::displayName(49), u"Space"_s);
        QCOMPARE(reads, 2);
    }

    void systemDefaultWithoutDisplay() {
        // No X connection here: the default keymap, US unless XKB_DEFAULT_* says otherwise.
        qunsetenv("XKB_DEFAULT_LAYOUT");
        qunsetenv("XKB_DEFAULT_VARIANT");
        QCOMPARE(KeyboardLayout::displayName(8), u"C"_s);
        QCOMPARE(KeyboardLayout::keyCodeForCharacter(u"v"_s), std::optional<quint32>(9));
    }

    void displayString_data() {
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<quint32>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::newRow("default") << 8u << 0x1800u << u"Ctrl+Alt+C"_s;
        QTest::newRow("F1 alone") << 122u << 0u << u"F1"_s;
        QTest::newRow("all four in fixed order") << 0u << 0x1B00u << u"Ctrl+Alt+Shift+Super+A"_s;
        QTest::newRow("unknown bits are not shown") << 8u << 0x1001u << u"Ctrl+C"_s;
        QTest::newRow("unmapped key") << 52u << 0x0100u << u"Super+#52"_s;
    }
    void displayString() {
        QFETCH(quint32, keyCode);
        QFETCH(quint32, modifiers);
        QFETCH(QString, text);
        const std::shared_ptr<const KeyboardMap> us = layout(u"us"_s);
        KeyboardLayout::setProvider([us] { return us; });
        const HotKeyCombo combo(keyCode, modifiers);
        QCOMPARE(combo.displayString(), text);
        QCOMPARE(combo.keyCaps().join(QLatin1Char('+')), text);
    }

    void carbonFlags() {
        QCOMPARE(HotKeyCombo::carbonFlags(Qt::ControlModifier | Qt::AltModifier |
                                          Qt::ShiftModifier | Qt::MetaModifier),
                 0x1B00u);
        // Keypad and group switch are no part of a combination.
        QCOMPARE(HotKeyCombo::carbonFlags(Qt::MetaModifier | Qt::KeypadModifier |
                                          Qt::GroupSwitchModifier),
                 0x0100u);
    }

    void decoding_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("valid");
        QTest::newRow("whole number written as decimal")
            << QByteArray(R"({"keyCode":8.0,"modifiers":6144})") << true;
        QTest::newRow("largest values")
            << QByteArray(R"({"keyCode":4294967295,"modifiers":4294967295})") << true;
        QTest::newRow("no modifiers") << QByteArray(R"({"keyCode":8})") << false;
        QTest::newRow("negative") << QByteArray(R"({"keyCode":-1,"modifiers":6144})") << false;
        QTest::newRow("too large")
            << QByteArray(R"({"keyCode":8,"modifiers":4294967296})") << false;
        QTest::newRow("fraction") << QByteArray(R"({"keyCode":8.5,"modifiers":6144})") << false;
        QTest::newRow("string") << QByteArray(R"({"keyCode":"8","modifiers":6144})") << false;
        QTest::newRow("array") << QByteArray("[8,6144]") << false;
        QTest::newRow("truncated") << QByteArray(R"({"keyCode":8,"modifiers":)") << false;
    }
    void decoding() {
        QFETCH(QByteArray, json);
        QFETCH(bool, valid);
        const auto combo = HotKeyCombo::fromJsonBytes(json);
        QCOMPARE(combo.has_value(), valid);
        // The value survives encoding unchanged.
        if (valid)
            QCOMPARE(HotKeyCombo::fromJsonBytes(combo->toJsonBytes()), combo);
    }
    void storedForm() {
        QCOMPARE(HotKeyCombo(8, HotKeyCombo::controlKey | HotKeyCombo::optionKey).toJsonBytes(),
                 QByteArray(R"({"keyCode":8,"modifiers":6144})"));
    }
};

QTEST_GUILESS_MAIN(tst_KeyboardLayout)
#include "tst_KeyboardLayout.moc"
