#include "OrinHotkey/KeyboardLayout.h"
#include "OrinHotkey/XkbKeyboardMap.h"

#include <QTest>

namespace {

std::shared_ptr<XkbKeyboardMap> layout(const QString &names, const QString &variant = {},
                                       std::optional<quint32> active = {}) {
    return XkbKeyboardMap::fromNames({{}, {}, names, variant, {}}, active);
}

} // namespace

class tst_KeyboardLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_us = layout(QStringLiteral("us"));
        QVERIFY(m_us);
    }
    void cleanup() { KeyboardLayout::setProvider({}); }

    void usCharacters() {
        QCOMPARE(m_us->character(8), QStringLiteral("c"));
        QCOMPARE(m_us->character(0), QStringLiteral("a"));
        QCOMPARE(m_us->character(18), QStringLiteral("1"));
        QCOMPARE(m_us->character(50), QStringLiteral("`"));
        QCOMPARE(m_us->character(49), QStringLiteral(" "));
        // Return, Tab, Escape, Backspace and keypad Enter type control characters: no text.
        for (quint32 code : {36u, 48u, 53u, 51u, 76u})
            QCOMPARE(m_us->character(code), std::nullopt);
        QCOMPARE(m_us->character(52), std::nullopt);  // no such key
        QCOMPARE(m_us->character(200), std::nullopt); // outside the table
    }

    void displayName_data() {
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<QString>("name");
        QTest::newRow("Return") << 36u << QStringLiteral("Return");
        QTest::newRow("Tab") << 48u << QStringLiteral("Tab");
        QTest::newRow("Space") << 49u << QStringLiteral("Space");
        QTest::newRow("Delete") << 51u << QStringLiteral("Backspace");
        QTest::newRow("Escape") << 53u << QStringLiteral("Esc");
        QTest::newRow("forward Delete") << 117u << QStringLiteral("Del");
        QTest::newRow("Left") << 123u << QStringLiteral("Left");
        QTest::newRow("Right") << 124u << QStringLiteral("Right");
        QTest::newRow("Down") << 125u << QStringLiteral("Down");
        QTest::newRow("Up") << 126u << QStringLiteral("Up");
        QTest::newRow("F1") << 122u << QStringLiteral("F1");
        QTest::newRow("F2") << 120u << QStringLiteral("F2");
        QTest::newRow("F3") << 99u << QStringLiteral("F3");
        QTest::newRow("F4") << 118u << QStringLiteral("F4");
        QTest::newRow("F5") << 96u << QStringLiteral("F5");
        QTest::newRow("F6") << 97u << QStringLiteral("F6");
        QTest::newRow("F7") << 98u << QStringLiteral("F7");
        QTest::newRow("F8") << 100u << QStringLiteral("F8");
        QTest::newRow("F9") << 101u << QStringLiteral("F9");
        QTest::newRow("F10") << 109u << QStringLiteral("F10");
        QTest::newRow("F11") << 103u << QStringLiteral("F11");
        QTest::newRow("F12") << 111u << QStringLiteral("F12");
        QTest::newRow("letter upper-cased") << 8u << QStringLiteral("C");
        QTest::newRow("punctuation") << 27u << QStringLiteral("-");
        QTest::newRow("keypad Enter") << 76u << QStringLiteral("Enter");
        QTest::newRow("Home") << 115u << QStringLiteral("Home");
        QTest::newRow("Insert") << 114u << QStringLiteral("Insert");
        QTest::newRow("F13") << 105u << QStringLiteral("F13");
        QTest::newRow("Print") << 355u << QStringLiteral("Print");
        QTest::newRow("Pause") << 375u << QStringLiteral("Pause");
        QTest::newRow("F24") << 450u << QStringLiteral("F24");
        QTest::newRow("keymap's symbol") << 396u << QStringLiteral("Calculator");
        QTest::newRow("no such key") << 52u << QStringLiteral("#52");
        QTest::newRow("key the keymap leaves empty") << 452u << QStringLiteral("#452");
        QTest::newRow("beyond 16 bits") << 70000u << QStringLiteral("#70000");
        QTest::newRow("largest code") << 4294967295u << QStringLiteral("#4294967295");
    }
    void displayName() {
        QFETCH(quint32, keyCode);
        QFETCH(QString, name);
        QCOMPARE(KeyboardLayout::displayName(keyCode, m_us.get()), name);
    }

    void germanSwapsZAndY() {
        const auto de = layout(QStringLiteral("de"));
        QVERIFY(de);
        QCOMPARE(KeyboardLayout::displayName(6, de.get()), QStringLiteral("Y"));
        QCOMPARE(KeyboardLayout::displayName(16, de.get()), QStringLiteral("Z"));
        QCOMPARE(KeyboardLayout::displayName(8, de.get()), QStringLiteral("C"));
        // Full upper-casing: the sharp s becomes two letters.
        QCOMPARE(de->character(27), QStringLiteral("\u00DF"));
        QCOMPARE(KeyboardLayout::displayName(27, de.get()), QStringLiteral("SS"));
        // A dead key shows its accent, not composed with anything.
        QCOMPARE(de->character(50), QStringLiteral("^"));
    }

    void nonLatinLayoutUsesTheLatinGroup() {
        for (std::optional<quint32> active :
             {std::optional<quint32>(), std::optional<quint32>(0), std::optional<quint32>(1)}) {
            const auto ruUs = layout(QStringLiteral("ru,us"), {}, active);
            QVERIFY(ruUs);
            QVERIFY(ruUs->hasLatinLayout());
            QCOMPARE(ruUs->layoutIndex(), std::optional<quint32>(1));
            QCOMPARE(ruUs->character(8), QStringLiteral("c"));
            QCOMPARE(KeyboardLayout::displayName(8, ruUs.get()), QStringLiteral("C"));
        }
    }

    void activeLatinGroupWins() {
        const auto usDeActive = layout(QStringLiteral("us,de"), {}, 1);
        QCOMPARE(KeyboardLayout::displayName(6, usDeActive.get()), QStringLiteral("Y"));
        const auto usDeFirst = layout(QStringLiteral("us,de"), {}, 0);
        QCOMPARE(KeyboardLayout::displayName(6, usDeFirst.get()), QStringLiteral("Z"));
        // A group number beyond the keymap's falls back to the first Latin group.
        const auto outOfRange = layout(QStringLiteral("ru,us"), {}, 7);
        QCOMPARE(outOfRange->layoutIndex(), std::optional<quint32>(1));
    }

    void onlyNonLatinGroups() {
        const auto ru = layout(QStringLiteral("ru"));
        QVERIFY(ru);
        QVERIFY(!ru->hasLatinLayout());
        QCOMPARE(ru->character(8), std::nullopt);
        QCOMPARE(KeyboardLayout::displayName(8, ru.get()), QStringLiteral("#8"));
    }

    void dvorakCountsAsLatin() {
        const auto dvorak = layout(QStringLiteral("us"), QStringLiteral("dvorak"));
        QVERIFY(dvorak);
        QVERIFY(dvorak->hasLatinLayout());
        QCOMPARE(KeyboardLayout::displayName(12, dvorak.get()), QStringLiteral("'"));
        QCOMPARE(KeyboardLayout::displayName(8, dvorak.get()), QStringLiteral("J"));
    }

    void keyCodeForCharacter_data() {
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("variant");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -1: none
        const QString us = QStringLiteral("us");
        QTest::newRow("v") << us << QString() << QStringLiteral("v") << 9;
        QTest::newRow("V, any case") << us << QString() << QStringLiteral("V") << 9;
        QTest::newRow("lowest code wins over the keypad")
            << us << QString() << QStringLiteral("/") << 44;
        QTest::newRow("keypad only") << us << QString() << QStringLiteral("*") << 67;
        QTest::newRow("shifted only") << us << QString() << QStringLiteral("?") << -1;
        QTest::newRow("not on the keyboard") << us << QString() << QStringLiteral("\u00E9") << -1;
        QTest::newRow("empty") << us << QString() << QString() << -1;
        QTest::newRow("two characters") << us << QString() << QStringLiteral("vv") << -1;
        QTest::newRow("dvorak v") << us << QStringLiteral("dvorak") << QStringLiteral("v") << 47;
        QTest::newRow("azerty a") << QStringLiteral("fr") << QString() << QStringLiteral("a") << 12;
        QTest::newRow("german z") << QStringLiteral("de") << QString() << QStringLiteral("Z") << 16;
        QTest::newRow("russian+us v")
            << QStringLiteral("ru,us") << QString() << QStringLiteral("v") << 9;
    }
    void keyCodeForCharacter() {
        QFETCH(QString, names);
        QFETCH(QString, variant);
        QFETCH(QString, text);
        QFETCH(int, expected);
        const auto map = layout(names, variant);
        QVERIFY(map);
        const auto code = KeyboardLayout::keyCodeForCharacter(text, map.get());
        if (expected < 0)
            QCOMPARE(code, std::nullopt);
        else
            QCOMPARE(code, std::optional<quint32>(quint32(expected)));
        KeyboardLayout::setProvider([map] { return map; });
        QCOMPARE(KeyboardLayout::keyCodeForCharacter(text), code);
    }

    void providerIsReadOnEveryLookup() {
        std::shared_ptr<const KeyboardMap> current = m_us;
        int reads = 0;
        KeyboardLayout::setProvider([&] {
            ++reads;
            return current;
        });
        QCOMPARE(KeyboardLayout::displayName(6), QStringLiteral("Z"));
        current = layout(QStringLiteral("de"));
        QCOMPARE(KeyboardLayout::displayName(6), QStringLiteral("Y"));
        QCOMPARE(reads, 2);
        // Fixed names need no layout.
        QCOMPARE(KeyboardLayout::displayName(49), QStringLiteral("Space"));
        QCOMPARE(reads, 2);
    }

    void badNamesGiveNoMap() {
        QVERIFY(!XkbKeyboardMap::fromNames({{}, {}, QStringLiteral("no-such-layout"), {}, {}}));
    }

    void systemDefaultWithoutDisplay() {
        // No X connection here: the default keymap, US unless XKB_DEFAULT_* says otherwise.
        qunsetenv("XKB_DEFAULT_LAYOUT");
        qunsetenv("XKB_DEFAULT_VARIANT");
        KeyboardLayout::setProvider({});
        QCOMPARE(KeyboardLayout::displayName(8), QStringLiteral("C"));
        QCOMPARE(KeyboardLayout::keyCodeForCharacter(QStringLiteral("v")),
                 std::optional<quint32>(9));
    }

private:
    std::shared_ptr<XkbKeyboardMap> m_us;
};

QTEST_GUILESS_MAIN(tst_KeyboardLayout)
#include "tst_KeyboardLayout.moc"
