#include "OrinHotkey/HotKeyCombo.h"
#include "OrinHotkey/KeyboardLayout.h"
#include "OrinHotkey/X11/X11KeyboardMap.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

bool setxkbmap(const QStringList &arguments) {
    return QProcess::execute(u"setxkbmap"_s, arguments) == 0;
}

} // namespace

// Key names follow the X server's keymap as it is at the moment of asking.
class tst_X11KeyboardMap : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { KeyboardLayout::setProvider({}); }
    void cleanupTestCase() { setxkbmap({u"us"_s}); }

    void readsTheServersKeymap() {
        QVERIFY(setxkbmap({u"us"_s}));
        const auto map = X11KeyboardMap::current();
        QVERIFY(map);
        QCOMPARE(map->character(8), u"c"_s);
        QCOMPARE(HotKeyCombo(8, 0x1800).displayString(), u"Ctrl+Alt+C"_s);
    }

    void followsALayoutChange() {
        QVERIFY(setxkbmap({u"de"_s}));
        QCOMPARE(KeyboardLayout::displayName(6), u"Y"_s);
        QCOMPARE(KeyboardLayout::keyCodeForCharacter(u"z"_s), std::optional<quint32>(16));
        QVERIFY(setxkbmap({u"us"_s}));
        QCOMPARE(KeyboardLayout::displayName(6), u"Z"_s);
    }

    void russianWithUsShowsLatinNames() {
        QVERIFY(setxkbmap({u"-layout"_s, u"ru,us"_s}));
        const auto map = X11KeyboardMap::current();
        QVERIFY(map);
        QCOMPARE(map->layoutIndex(), std::optional<quint32>(1));
        QCOMPARE(HotKeyCombo(8, 0x1800).displayString(), u"Ctrl+Alt+C"_s);
        QCOMPARE(KeyboardLayout::keyCodeForCharacter(u"v"_s), std::optional<quint32>(9));
    }

    void onlyNonLatinFallsBackToUs() {
        QVERIFY(setxkbmap({u"ru"_s}));
        const auto map = X11KeyboardMap::current();
        QVERIFY(map);
        QVERIFY(!map->hasLatinLayout());
        QCOMPARE(KeyboardLayout::displayName(8), u"C"_s);
    }
};

CHROMET_X11_TEST_MAIN(tst_X11KeyboardMap)
#include "tst_X11KeyboardMap.moc"
