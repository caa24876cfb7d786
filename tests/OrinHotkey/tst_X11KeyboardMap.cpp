#include "OrinHotkey/HotKeyCombo.h"
#include "OrinHotkey/KeyboardLayout.h"
#include "OrinHotkey/X11/X11KeyboardMap.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QProcess>
#include <QTest>

namespace {

bool setxkbmap(const QStringList &arguments) {
    return QProcess::execute(QStringLiteral("setxkbmap"), arguments) == 0;
}

} // namespace

// Key names follow the X server's keymap as it is at the moment of asking.
class tst_X11KeyboardMap : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { KeyboardLayout::setProvider({}); }
    void cleanupTestCase() { setxkbmap({QStringLiteral("us")}); }

    void readsTheServersKeymap() {
        QVERIFY(setxkbmap({QStringLiteral("us")}));
        const auto map = X11KeyboardMap::current();
        QVERIFY(map);
        QCOMPARE(map->character(8), QStringLiteral("c"));
        QCOMPARE(HotKeyCombo(8, 0x1800).displayString(), QStringLiteral("Ctrl+Alt+C"));
    }

    void followsALayoutChange() {
        QVERIFY(setxkbmap({QStringLiteral("de")}));
        QCOMPARE(KeyboardLayout::displayName(6), QStringLiteral("Y"));
        QCOMPARE(KeyboardLayout::keyCodeForCharacter(QStringLiteral("z")),
                 std::optional<quint32>(16));
        QVERIFY(setxkbmap({QStringLiteral("us")}));
        QCOMPARE(KeyboardLayout::displayName(6), QStringLiteral("Z"));
    }

    void russianWithUsShowsLatinNames() {
        QVERIFY(setxkbmap({QStringLiteral("-layout"), QStringLiteral("ru,us")}));
        const auto map = X11KeyboardMap::current();
        QVERIFY(map);
        QCOMPARE(map->layoutIndex(), std::optional<quint32>(1));
        QCOMPARE(HotKeyCombo(8, 0x1800).displayString(), QStringLiteral("Ctrl+Alt+C"));
        QCOMPARE(KeyboardLayout::keyCodeForCharacter(QStringLiteral("v")),
                 std::optional<quint32>(9));
    }

    void onlyNonLatinFallsBackToUs() {
        QVERIFY(setxkbmap({QStringLiteral("ru")}));
        const auto map = X11KeyboardMap::current();
        QVERIFY(map);
        QVERIFY(!map->hasLatinLayout());
        QCOMPARE(KeyboardLayout::displayName(8), QStringLiteral("C"));
    }
};

CHROMET_X11_TEST_MAIN(tst_X11KeyboardMap)
#include "tst_X11KeyboardMap.moc"
