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

class tst_KeyboardLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_us = layout(u"us"_s);
        QVERIFY(m_us);
    }
    void cleanup() { KeyboardLayout::setProvider({}); }

    void usCharacters() {
        QCOMPARE(m_us->character(8), u"c"_s);
        QCOMPARE(m_us->character(0), u"a"_s);
        QCOMPARE(m_us->character(18), u"1"_s);
        QCOMPARE(m_us->character(50), u"`"_s);
        QCOMPARE(m_us->character(49), u" "_s);
        // Return, Tab, Escape, Backspace and keypad Enter type control characters: no text.
        for (quint32 code : {36u, 48u, 53u, 51u, 76u})
            QCOMPARE(m_us->character(code), std::nullopt);
        QCOMPARE(m_us->character(52), std::nullopt);  // no such key
        QCOMPARE(m_us->character(200), std::nullopt); // outside the table
    }

    void displayName_data() {
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<QString>("name");
        QTest::newRow("Return") << 36u << u"Return"_s;
        QTest::newRow("Delete") << 51u << u"Backspace"_s;
        QTest::newRow("forward Delete") << 117u << u"Del"_s;
        QTest::newRow("F1") << 122u << u"F1"_s;
        QTest::newRow("letter upper-cased") << 8u << u"C"_s;
        QTest::newRow("punctuation") << 27u << u"-"_s;
        QTest::newRow("keypad Enter") << 76u << u"Enter"_s;
        QTest::newRow("F13") << 105u << u"F13"_s;
        QTest::newRow("Print") << 355u << u"Print"_s;
        QTest::newRow("keymap's symbol") << 396u << u"Calculator"_s;
        QTest::newRow("no such key") << 52u << u"#52"_s;
        QTest::newRow("key the keymap leaves empty") << 452u << u"#452"_s;
        QTest::newRow("beyond 16 bits") << 70000u << u"#70000"_s;
        QTest::newRow("largest code") << 4294967295u << u"#4294967295"_s;
    }
    void displayName() {
        QFETCH(quint32, keyCode);
        QFETCH(QString, name);
        QCOMPARE(KeyboardLayout::displayName(keyCode, m_us.get()), name);
    }

    void germanSwapsZAndY() {
        const auto de = layout(u"de"_s);
        QVERIFY(de);
        QCOMPARE(KeyboardLayout::displayName(6, de.get()), u"Y"_s);
        QCOMPARE(KeyboardLayout::displayName(16, de.get()), u"Z"_s);
        QCOMPARE(KeyboardLayout::displayName(8, de.get()), u"C"_s);
        // Full upper-casing: the sharp s becomes two letters.
        QCOMPARE(de->character(27), u"\u00DF"_s);
        QCOMPARE(KeyboardLayout::displayName(27, de.get()), u"SS"_s);
        // A dead key shows its accent, not composed with anything.
        QCOMPARE(de->character(50), u"^"_s);
    }

    void nonLatinLayoutUsesTheLatinGroup() {
        for (std::optional<quint32> active :
             {std::optional<quint32>(), std::optional<quint32>(0), std::optional<quint32>(1)}) {
            const auto ruUs = layout(u"ru,us"_s, {}, active);
            QVERIFY(ruUs);
            QVERIFY(ruUs->hasLatinLayout());
            QCOMPARE(ruUs->layoutIndex(), std::optional<quint32>(1));
            QCOMPARE(ruUs->character(8), u"c"_s);
            QCOMPARE(KeyboardLayout::displayName(8, ruUs.get()), u"C"_s);
        }
    }

    void activeLatinGroupWins() {
        const auto usDeActive = layout(u"us,de"_s, {}, 1);
        QCOMPARE(KeyboardLayout::displayName(6, usDeActive.get()), u"Y"_s);
        const auto usDeFirst = layout(u"us,de"_s, {}, 0);
        QCOMPARE(KeyboardLayout::displayName(6, usDeFirst.get()), u"Z"_s);
        // A group number beyond the keymap's falls back to the first Latin group.
        const auto outOfRange = layout(u"ru,us"_s, {}, 7);
        QCOMPARE(outOfRange->layoutIndex(), std::optional<quint32>(1));
    }

    void onlyNonLatinGroups() {
        const auto ru = layout(u"ru"_s);
        QVERIFY(ru);
        QVERIFY(!ru->hasLatinLayout());
        QCOMPARE(ru->character(8), std::nullopt);
        QCOMPARE(KeyboardLayout::displayName(8, ru.get()), u"#8"_s);
    }

    void dvorakCountsAsLatin() {
        const auto dvorak = layout(u"us"_s, u"dvorak"_s);
        QVERIFY(dvorak);
        QVERIFY(dvorak->hasLatinLayout());
        QCOMPARE(KeyboardLayout::displayName(12, dvorak.get()), u"'"_s);
        QCOMPARE(KeyboardLayout::displayName(8, dvorak.get()), u"J"_s);
    }

    void keyCodeForCharacter_data() {
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("variant");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -1: none
        const QString us = u"us"_s;
        QTest::newRow("v") << us << QString() << u"v"_s << 9;
        QTest::newRow("V, any case") << us << QString() << u"V"_s << 9;
        QTest::newRow("lowest code wins over the keypad") << us << QString() << u"/"_s << 44;
        QTest::newRow("keypad only") << us << QString() << u"*"_s << 67;
        QTest::newRow("shifted only") << us << QString() << u"?"_s << -1;
        QTest::newRow("not on the keyboard") << us << QString() << u"\u00E9"_s << -1;
        QTest::newRow("two characters") << us << QString() << u"vv"_s << -1;
        QTest::newRow("dvorak v") << us << u"dvorak"_s << u"v"_s << 47;
        QTest::newRow("azerty a") << u"fr"_s << QString() << u"a"_s << 12;
        QTest::newRow("german z") << u"de"_s << QString() << u"Z"_s << 16;
        QTest::newRow("russian+us v") << u"ru,us"_s << QString() << u"v"_s << 9;
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
        QCOMPARE(KeyboardLayout::displayName(6), u"Z"_s);
        current = layout(u"de"_s);
        QCOMPARE(KeyboardLayout::displayName(6), u"Y"_s);
        QCOMPARE(reads, 2);
        // Fixed names need no layout.
        QCOMPARE(KeyboardLayout::displayName(49), u"Space"_s);
        QCOMPARE(reads, 2);
    }

    void badNamesGiveNoMap() {
        QVERIFY(!XkbKeyboardMap::fromNames({{}, {}, u"no-such-layout"_s, {}, {}}));
    }

    void systemDefaultWithoutDisplay() {
        // No X connection here: the default keymap, US unless XKB_DEFAULT_* says otherwise.
        qunsetenv("XKB_DEFAULT_LAYOUT");
        qunsetenv("XKB_DEFAULT_VARIANT");
        KeyboardLayout::setProvider({});
        QCOMPARE(KeyboardLayout::displayName(8), u"C"_s);
        QCOMPARE(KeyboardLayout::keyCodeForCharacter(u"v"_s), std::optional<quint32>(9));
    }

private:
    std::shared_ptr<XkbKeyboardMap> m_us;
};

QTEST_GUILESS_MAIN(tst_KeyboardLayout)
#include "tst_KeyboardLayout.moc"
