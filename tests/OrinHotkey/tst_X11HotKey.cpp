#include "OrinHotkey/HotKey.h"
#include "OrinHotkey/KeyCodes.h"
#include "OrinHotkey/KeyboardLayout.h"
#include "OrinHotkey/X11/X11KeyboardMap.h"
#include "Support/OtherClient.h"
#include "Support/RegisteredHotKey.h"
#include "Support/RunProgram.h"
#include "Support/XServerSession.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <xcb/xcb.h>

using namespace Qt::StringLiterals;

namespace {

constexpr HotKeyCombo controlOptionC(8, HotKeyCombo::controlKey | HotKeyCombo::optionKey);
constexpr HotKeyCombo controlOptionD(2, HotKeyCombo::controlKey | HotKeyCombo::optionKey);
constexpr quint16 controlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

bool setxkbmap(const QStringList &arguments) {
    return QProcess::execute(u"setxkbmap"_s, arguments) == 0;
}

const quint8 keycodeC = quint8(*KeyCodes::toX11(8));

// Counts the presses and releases of the C key that reach Qt's connection, repeats included.
class KeyWatcher final : public QAbstractNativeEventFilter {
public:
    KeyWatcher() { qApp->installNativeEventFilter(this); }
    ~KeyWatcher() override { qApp->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override {
        const auto *event = static_cast<const xcb_key_press_event_t *>(message);
        const quint8 type = event->response_type & 0x7f;
        if ((type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) && event->detail == keycodeC)
            ++(type == XCB_KEY_PRESS ? presses : releases);
        return false;
    }

    int presses = 0;
    int releases = 0;
};

} // namespace

// Global hot keys and key names on a real X server.
class tst_X11HotKey : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { HotKey::setBackend(nullptr); }
    void cleanupTestCase() { setxkbmap({u"us"_s}); }

    void firesOncePerPressAndOnlyForItsModifiers() {
        int runs = 0;
        int sentinel = 0;
        int print = 0;
        const auto hotKey = registeredHotKey(controlOptionC, [&] { ++runs; });
        const auto marker = registeredHotKey(controlOptionD, [&] { ++sentinel; });
        // A key beyond the key table, by the keymap's keycode.
        const auto beyond =
            registeredHotKey(HotKeyCombo(355, HotKeyCombo::controlKey), [&] { ++print; });
        QVERIFY(hotKey && marker && beyond);
        QVERIFY(!registeredHotKey(controlOptionC, [] {})); // already ours
        for (const char *keys :
             {"ctrl+alt+shift+c", "ctrl+c", "ctrl+alt+c", "ctrl+Print", "ctrl+alt+d"})
            QVERIFY(xdotool({u"key"_s, QString::fromLatin1(keys)}));
        // Everything the earlier presses caused has arrived once the last one has.
        QTRY_COMPARE(sentinel, 1);
        QCOMPARE(runs, 1);
        QCOMPARE(print, 1);
    }

    void heldComboActsOnce() {
        int runs = 0;
        const auto hotKey = registeredHotKey(controlOptionC, [&] { ++runs; });
        QVERIFY(hotKey);
        KeyWatcher watcher;
        const QStringList keyUp{u"keyup"_s, u"ctrl+alt+c"_s};
        auto letGo = qScopeGuard([&] { xdotool(keyUp); });
        QVERIFY(xdotool({u"keydown"_s, u"ctrl+alt+c"_s}));
        // The server repeats the held key.
        QTRY_VERIFY_WITH_TIMEOUT(watcher.presses >= 4, 10000);
        letGo.dismiss();
        QVERIFY(xdotool(keyUp));
        QTRY_COMPARE(watcher.releases, watcher.presses);
        QCoreApplication::processEvents();
        QCOMPARE(runs, 1);
        // Released, the next press acts again.
        QVERIFY(xdotool({u"key"_s, u"ctrl+alt+c"_s}));
        QTRY_COMPARE(runs, 2);
    }

    void firesWithLockKeysOn_data() {
        QTest::addColumn<QString>("lock");
        QTest::newRow("Caps Lock") << u"Caps_Lock"_s;
        QTest::newRow("Num Lock") << u"Num_Lock"_s;
    }
    void firesWithLockKeysOn() {
        QFETCH(QString, lock);
        int runs = 0;
        const auto hotKey = registeredHotKey(controlOptionC, [&] { ++runs; });
        QVERIFY(hotKey);
        QVERIFY(xdotool({u"key"_s, lock}));
        const auto off = qScopeGuard([&] { xdotool({u"key"_s, lock}); });
        QVERIFY(xdotool({u"key"_s, u"ctrl+alt+c"_s}));
        QTRY_COMPARE(runs, 1);
    }

    void refusedWhileAnotherClientHoldsAVariant_data() {
        QTest::addColumn<quint16>("held");
        QTest::newRow("plain") << controlAlt;
        // Grabbed last: the variants before it succeed and must be given back.
        QTest::newRow("with Caps and Num Lock")
            << quint16(controlAlt | XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2);
    }
    void refusedWhileAnotherClientHoldsAVariant() {
        QFETCH(quint16, held);
        OtherClient other;
        QVERIFY(other.grab(keycodeC, held));
        QVERIFY(!registeredHotKey(controlOptionC, [] {}));
        other.ungrab(keycodeC, held);
        OtherClient probe;
        QTRY_VERIFY(probe.canGrabAllVariants(keycodeC, controlAlt));
        // Free again: now it registers, until it is dropped.
        auto hotKey = registeredHotKey(controlOptionC, [] {});
        QVERIFY(hotKey);
        QVERIFY(!probe.canGrabAllVariants(keycodeC, controlAlt));
        hotKey.reset();
        // The release travels on our connection, the probe on its own: wait for it to land.
        QTRY_VERIFY(probe.canGrabAllVariants(keycodeC, controlAlt));
    }

    void renewedWhenNumLockMoves() {
        const auto hotKey = registeredHotKey(controlOptionC, [] {});
        QVERIFY(hotKey);
        OtherClient other;
        OtherClient probe;
        // Whether another client holds the combination with these modifiers. The probe gives a
        // grab back before anything here can run, so it never stands in the renewal's way.
        const auto held = [&](quint16 modifiers) {
            if (!probe.grab(keycodeC, modifiers))
                return true;
            probe.ungrab(keycodeC, modifiers);
            return false;
        };
        const quint16 withMod3 = controlAlt | XCB_MOD_MASK_3;
        QVERIFY(!held(withMod3));

        // Num Lock moves from Mod2 to Mod3: the grabs must now cover Mod3 instead.
        other.moveNumLock(5); // modifier index 5 is Mod3
        auto restore = qScopeGuard([&] { other.moveNumLock(4); });
        QTRY_VERIFY(held(withMod3));
        QVERIFY(held(withMod3 | XCB_MOD_MASK_LOCK));

        other.moveNumLock(4); // back to Mod2
        restore.dismiss();
        QTRY_VERIFY(!held(withMod3));
        QVERIFY(held(controlAlt | XCB_MOD_MASK_2));
    }

    // Key names follow the X server's keymap as it is at the moment of asking.
    void followsTheServersKeymap() {
        QVERIFY(setxkbmap({u"us"_s}));
        QCOMPARE(X11KeyboardMap::current()->character(8), u"c"_s);

        QVERIFY(setxkbmap({u"de"_s}));
        QCOMPARE(KeyboardLayout::displayName(6), u"Y"_s);
        QCOMPARE(KeyboardLayout::keyCodeForCharacter(u"z"_s), std::optional<quint32>(16));

        // A non-Latin layout names keys by its Latin group, or by US without one.
        QVERIFY(setxkbmap({u"-layout"_s, u"ru,us"_s}));
        QCOMPARE(X11KeyboardMap::current()->layoutIndex(), std::optional<quint32>(1));
        QCOMPARE(KeyboardLayout::displayName(6), u"Z"_s);
        QCOMPARE(KeyboardLayout::keyCodeForCharacter(u"v"_s), std::optional<quint32>(9));
        QVERIFY(setxkbmap({u"ru"_s}));
        QVERIFY(!X11KeyboardMap::current()->hasLatinLayout());
        QCOMPARE(KeyboardLayout::displayName(8), u"C"_s);
    }
};

CHROMET_X11_TEST_MAIN(tst_X11HotKey)
#include "tst_X11HotKey.moc"
