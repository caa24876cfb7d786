#include "OrinHotkey/HotKey.h"
#include "OrinHotkey/KeyCodes.h"
#include "Support/OtherClient.h"
#include "Support/RegisteredHotKey.h"
#include "Support/XServerSession.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <xcb/xcb.h>

using namespace Qt::StringLiterals;
#define explicit dont_use_cxx_explicit
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>

namespace {

constexpr HotKeyCombo controlOptionC(8, HotKeyCombo::controlKey | HotKeyCombo::optionKey);
constexpr HotKeyCombo controlOptionD(2, HotKeyCombo::controlKey | HotKeyCombo::optionKey);
constexpr quint16 controlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

bool xdotool(const QStringList &arguments) {
    return QProcess::execute(u"xdotool"_s, arguments) == 0;
}

const quint8 keycodeC = quint8(*KeyCodes::toX11(8));

// Counts the keyboard mapping changes that reach Qt's connection.
class MappingWatcher final : public QAbstractNativeEventFilter {
public:
    MappingWatcher() {
        auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        if (const auto *xkb = xcb_get_extension_data(x11->connection(), &xcb_xkb_id);
            xkb && xkb->present)
            m_xkbFirstEvent = xkb->first_event;
        qApp->installNativeEventFilter(this);
    }
    ~MappingWatcher() override { qApp->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override {
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        const quint8 type = event->response_type & 0x7f;
        if (type == XCB_MAPPING_NOTIFY ||
            (m_xkbFirstEvent != 0 && type == m_xkbFirstEvent &&
             static_cast<const quint8 *>(message)[1] == XCB_XKB_MAP_NOTIFY))
            ++events;
        return false;
    }

    int events = 0;

private:
    quint8 m_xkbFirstEvent = 0;
};

// Counts the presses and releases of one key that reach Qt's connection, repeats included.
class KeyWatcher final : public QAbstractNativeEventFilter {
public:
    explicit KeyWatcher(quint8 keycode)
        : m_keycode(keycode) {
        qApp->installNativeEventFilter(this);
    }
    ~KeyWatcher() override { qApp->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override {
        const auto *event = static_cast<const xcb_key_press_event_t *>(message);
        const quint8 type = event->response_type & 0x7f;
        if ((type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) && event->detail == m_keycode)
            ++(type == XCB_KEY_PRESS ? presses : releases);
        return false;
    }

    int presses = 0;
    int releases = 0;

private:
    quint8 m_keycode;
};

} // namespace

class tst_X11HotKey : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { HotKey::setBackend(nullptr); }

    void firesOncePerPressAndOnlyForItsModifiers() {
        int runs = 0;
        int sentinel = 0;
        const auto hotKey = registeredHotKey(controlOptionC, [&] { ++runs; });
        const auto marker = registeredHotKey(controlOptionD, [&] { ++sentinel; });
        QVERIFY(hotKey);
        QVERIFY(marker);
        for (const char *keys : {"ctrl+alt+shift+c", "ctrl+c", "ctrl+alt+c", "ctrl+alt+d"})
            QVERIFY(xdotool({u"key"_s, QString::fromLatin1(keys)}));
        // Everything the earlier presses caused has arrived once the last one has.
        QTRY_COMPARE(sentinel, 1);
        QCOMPARE(runs, 1);
    }

    void heldComboActsOnce() {
        int runs = 0;
        const auto hotKey = registeredHotKey(controlOptionC, [&] { ++runs; });
        QVERIFY(hotKey);
        KeyWatcher watcher(keycodeC);
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

    void keyBeyondTheTable() {
        int runs = 0;
        const auto hotKey =
            registeredHotKey(HotKeyCombo(355, HotKeyCombo::controlKey), [&] { ++runs; });
        QVERIFY(hotKey);
        QVERIFY(xdotool({u"key"_s, u"ctrl+Print"_s}));
        QTRY_COMPARE(runs, 1);
    }
    void firesWithLockKeysOn_data() {
        QTest::addColumn<QStringList>("locks");
        QTest::newRow("Caps Lock") << QStringList{u"Caps_Lock"_s};
        QTest::newRow("Num Lock") << QStringList{u"Num_Lock"_s};
    }
    void firesWithLockKeysOn() {
        QFETCH(QStringList, locks);
        int runs = 0;
        const auto hotKey = registeredHotKey(controlOptionC, [&] { ++runs; });
        QVERIFY(hotKey);
        const auto toggle = [&] {
            for (const QString &lock : locks)
                xdotool({u"key"_s, lock});
        };
        toggle();
        const auto off = qScopeGuard(toggle);
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
        // Free again: now it registers.
        QVERIFY(registeredHotKey(controlOptionC, [] {}));
    }
    void sameComboTwiceInProcessIsRefused() {
        int runs = 0;
        const auto first = registeredHotKey(controlOptionC, [&] { ++runs; });
        QVERIFY(first);
        QVERIFY(!registeredHotKey(controlOptionC, [] {}));
        QVERIFY(xdotool({u"key"_s, u"ctrl+alt+c"_s}));
        QTRY_COMPARE(runs, 1);
    }

    void releasedOnDestruction() {
        auto hotKey = registeredHotKey(controlOptionC, [] {});
        QVERIFY(hotKey);
        OtherClient probe;
        QVERIFY(!probe.canGrabAllVariants(keycodeC, controlAlt));
        hotKey.reset();
        // The release travels on our connection, the probe on its own: wait for it to land.
        QTRY_VERIFY(probe.canGrabAllVariants(keycodeC, controlAlt));
    }

    void renewedWhenNumLockMoves() {
        MappingWatcher watcher;
        const auto hotKey = registeredHotKey(controlOptionC, [] {});
        QVERIFY(hotKey);
        OtherClient other;
        OtherClient probe;
        const quint16 withMod3 = controlAlt | XCB_MOD_MASK_3;
        QVERIFY(probe.grab(keycodeC, withMod3));
        probe.ungrab(keycodeC, withMod3);

        // Num Lock moves from Mod2 to Mod3: the grabs must now cover Mod3 instead.
        other.moveNumLock(5); // modifier index 5 is Mod3
        auto restore = qScopeGuard([&] { other.moveNumLock(4); });
        QTRY_VERIFY(watcher.events > 0);
        QCoreApplication::processEvents(); // the renewal runs on the turn after the event
        QVERIFY(!probe.grab(keycodeC, withMod3));
        QVERIFY(!probe.grab(keycodeC, withMod3 | XCB_MOD_MASK_LOCK));

        const int seen = watcher.events;
        other.moveNumLock(4); // back to Mod2
        restore.dismiss();
        QTRY_VERIFY(watcher.events > seen);
        QCoreApplication::processEvents();
        QVERIFY(probe.grab(keycodeC, withMod3));
        probe.ungrab(keycodeC, withMod3);
        QVERIFY(!probe.grab(keycodeC, controlAlt | XCB_MOD_MASK_2));
    }
};

CHROMET_X11_TEST_MAIN(tst_X11HotKey)
#include "tst_X11HotKey.moc"
