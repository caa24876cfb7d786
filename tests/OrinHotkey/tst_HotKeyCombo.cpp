#include "OrinHotkey/HotKeyCombo.h"
#include "OrinHotkey/KeyboardLayout.h"
#include "OrinHotkey/XkbKeyboardMap.h"

#include <QJsonDocument>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_HotKeyCombo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        std::shared_ptr<const KeyboardMap> us =
            XkbKeyboardMap::fromNames({{}, {}, u"us"_s, {}, {}});
        QVERIFY(us);
        KeyboardLayout::setProvider([us] { return us; });
    }
    void cleanupTestCase() { KeyboardLayout::setProvider({}); }

    void displayString_data() {
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<quint32>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("caps");
        QTest::newRow("default") << 8u << 0x1800u << u"Ctrl+Alt+C"_s
                                 << QStringList{u"Ctrl"_s, u"Alt"_s, u"C"_s};
        QTest::newRow("command space")
            << 49u << 0x0100u << u"Super+Space"_s << QStringList{u"Super"_s, u"Space"_s};
        QTest::newRow("F1 alone") << 122u << 0u << u"F1"_s << QStringList{u"F1"_s};
        QTest::newRow("all four in fixed order")
            << 0u << 0x1B00u << u"Ctrl+Alt+Shift+Super+A"_s
            << QStringList{u"Ctrl"_s, u"Alt"_s, u"Shift"_s, u"Super"_s, u"A"_s};
        QTest::newRow("unknown bits are not shown")
            << 8u << 0x1001u << u"Ctrl+C"_s << QStringList{u"Ctrl"_s, u"C"_s};
        QTest::newRow("unmapped key")
            << 52u << 0x0100u << u"Super+#52"_s << QStringList{u"Super"_s, u"#52"_s};
        QTest::newRow("huge key code")
            << 4294967295u << 0u << u"#4294967295"_s << QStringList{u"#4294967295"_s};
    }
    void displayString() {
        QFETCH(quint32, keyCode);
        QFETCH(quint32, modifiers);
        QFETCH(QString, text);
        QFETCH(QStringList, caps);
        const HotKeyCombo combo(keyCode, modifiers);
        QCOMPARE(combo.displayString(), text);
        QCOMPARE(combo.keyCaps(), caps);
        QCOMPARE(caps.join(QLatin1Char('+')), text);
    }

    void displayFollowsTheLayout() {
        const auto de = XkbKeyboardMap::fromNames({{}, {}, u"de"_s, {}, {}});
        QVERIFY(de);
        QCOMPARE(HotKeyCombo(6, 0x1800).displayString(de.get()), u"Ctrl+Alt+Y"_s);
        QCOMPARE(HotKeyCombo(6, 0x1800).keyCaps(de.get()).last(), u"Y"_s);
        QCOMPARE(HotKeyCombo(6, 0x1800).displayString(), u"Ctrl+Alt+Z"_s);
    }

    void carbonFlags_data() {
        QTest::addColumn<int>("flags");
        QTest::addColumn<quint32>("carbon");
        QTest::newRow("none") << int(Qt::NoModifier) << 0u;
        QTest::newRow("all four") << int(Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier |
                                         Qt::MetaModifier)
                                  << 0x1B00u;
        QTest::newRow("keypad and group switch ignored")
            << int(Qt::MetaModifier | Qt::KeypadModifier | Qt::GroupSwitchModifier) << 0x0100u;
    }
    void carbonFlags() {
        QFETCH(int, flags);
        QFETCH(quint32, carbon);
        QCOMPARE(HotKeyCombo::carbonFlags(Qt::KeyboardModifiers(flags)), carbon);
    }

    void decoding_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("valid");
        QTest::newRow("default") << QByteArray(R"({"keyCode":8,"modifiers":6144})") << true;
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
        if (valid) {
            // The value survives encoding unchanged.
            QCOMPARE(HotKeyCombo::fromJsonBytes(combo->toJsonBytes()), combo);
            QCOMPARE(HotKeyCombo::fromJson(combo->toJson()), combo);
        }
    }
    void storedForm() {
        QCOMPARE(HotKeyCombo(8, HotKeyCombo::controlKey | HotKeyCombo::optionKey).toJsonBytes(),
                 QByteArray(R"({"keyCode":8,"modifiers":6144})"));
        QCOMPARE(HotKeyCombo::fromJson(QJsonValue(42)), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(tst_HotKeyCombo)
#include "tst_HotKeyCombo.moc"
