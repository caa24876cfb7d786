#include "OrinHotkey/HotKey.h"
#include "OrinHotkey/KeyCodes.h"
#include "OrinHotkey/KeyboardLayout.h"
#include "OrinHotkey/Portal/PortalHotKeyBackend.h"
#include "OrinHotkey/XkbKeyboardMap.h"
#include "Support/FakeHotKeyBackend.h"
#include "Support/PortalBus.h"
#include "Support/RegisteredHotKey.h"

#include <QCoreApplication>
#include <QSet>
#include <QTest>

namespace {

constexpr quint32 ctrlAlt = HotKeyCombo::controlKey | HotKeyCombo::optionKey;

std::shared_ptr<const KeyboardMap> layout(const QString &names) {
    return XkbKeyboardMap::fromNames({{}, {}, names, {}, {}});
}

} // namespace

// Hot keys over a backend the test plays, and the desktop portal's backend.
class tst_HotKey : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_desk = ShortcutDesk{};
        HotKey::setBackend(std::make_unique<FakeHotKeyBackend>(m_desk));
    }
    void cleanup() { HotKey::setBackend(nullptr); }
    void initTestCase() {
        KeyboardLayout::setProvider([] { return layout(QStringLiteral("us")); });
    }

    void registersAndUnregisters() {
        const HotKeyCombo combo(8, 0x1800);
        auto first = registeredHotKey(combo, [] {});
        QVERIFY(first);
        QCOMPARE(m_desk.attemptedCombos(), QList<HotKeyCombo>{combo});
        QCOMPARE(m_desk.attempts[0].identifier, (HotKeyIdentifier{0x4F52494Eu, first->id()}));
        // A refusal spends its id all the same.
        m_desk.refused.insert(9);
        QVERIFY(!registeredHotKey({9, 0x1800}, [] {}));
        const auto third = registeredHotKey({10, 0x1800}, [] {});
        QCOMPARE(third->id(), first->id() + 2);
        QCOMPARE(m_desk.installs, 1);

        const auto ref = m_desk.registered.key(combo);
        first.reset();
        QCOMPARE(m_desk.unregistered, QList<HotKeyBackend::Ref>{ref});
        QCOMPARE(m_desk.registered.size(), 1);
    }

    void eachPressRunsItsOwnActionOnALaterTurn() {
        int a = 0;
        int b = 0;
        const auto first = registeredHotKey({8, 0x1800}, [&] { ++a; });
        const auto second = registeredHotKey({9, 0x1800}, [&] { ++b; });
        m_desk.press(second->id());
        m_desk.press(second->id());
        m_desk.press(first->id());
        QCOMPARE(a + b, 0); // never inside the platform's event handling
        QTRY_COMPARE(a + b, 3);
        QCOMPARE(a, 1);
        QCOMPARE(b, 2);
    }

    // Unknown ids run nothing, nor keys dropped between the press and the job, by their own
    // action too.
    void droppedOrUnknownHotKeysRunNothing() {
        int runs = 0;
        std::unique_ptr<HotKey> hotKey;
        hotKey = registeredHotKey({8, 0x1800}, [&] {
            ++runs;
            hotKey.reset();
        });
        auto other = registeredHotKey({9, 0x1800}, [&] { ++runs; });
        m_desk.press(hotKey->id() + 1000);
        m_desk.press(hotKey->id());
        m_desk.press(hotKey->id());
        m_desk.press(other->id());
        other.reset();
        QTRY_VERIFY(!hotKey);
        QCoreApplication::processEvents();
        QCOMPARE(runs, 1);
    }

    void trigger_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<quint32>("modifiers");
        QTest::addColumn<QString>("expected");
        QTest::newRow("letter") << "us" << KeyCodes::c << ctrlAlt << "CTRL+ALT+c";
        QTest::newRow("Latin group of a Cyrillic layout")
            << "ru,us" << KeyCodes::c << ctrlAlt << "CTRL+ALT+c";
        QTest::newRow("all modifiers in order")
            << "us" << quint32(96) << (ctrlAlt | HotKeyCombo::shiftKey | HotKeyCombo::cmdKey)
            << "CTRL+ALT+SHIFT+LOGO+F5";
        QTest::newRow("punctuation") << "us" << quint32(43) << HotKeyCombo::cmdKey << "LOGO+comma";
        QTest::newRow("control character")
            << "us" << KeyCodes::returnKey << HotKeyCombo::controlKey << "CTRL+Return";
        QTest::newRow("extended key")
            << "us" << KeyCodes::extendedBase + 99 << quint32(0) << "Print";
        QTest::newRow("no such key") << "us" << KeyCodes::extendedBase + 300 << ctrlAlt << "";
    }
    void trigger() {
        QFETCH(QString, layout);
        QFETCH(quint32, keyCode);
        QFETCH(quint32, modifiers);
        QFETCH(QString, expected);
        QCOMPARE(PortalHotKeyBackend::trigger({keyCode, modifiers}, *::layout(layout)), expected);
    }

    void missingPortalGivesNoBackend() {
        PortalBus bus;
        QVERIFY2(bus.start(false), qPrintable(bus.errorString()));
        QVERIFY(!PortalHotKeyBackend::create(bus.connection()));
    }

    // Bound, the handler runs on activation; refused, grabbing is off.
    void portalBindsOrRefuses_data() {
        QTest::addColumn<bool>("refuse");
        QTest::newRow("bound") << false;
        QTest::newRow("refused") << true;
    }
    void portalBindsOrRefuses() {
        QFETCH(bool, refuse);
        PortalBus bus;
        QVERIFY2(bus.start(true, refuse ? QStringList{QStringLiteral("--refuse")} : QStringList()),
                 qPrintable(bus.errorString()));
        const auto backend = PortalHotKeyBackend::create(bus.connection());
        QVERIFY(backend);
        QList<HotKeyIdentifier> presses;
        backend->installHandler([&](HotKeyIdentifier identifier) { presses.append(identifier); });
        std::optional<std::optional<HotKeyBackend::Ref>> answer;
        backend->registerHotKey({KeyCodes::c, ctrlAlt}, {HotKey::signature, 7},
                                [&](std::optional<HotKeyBackend::Ref> ref) { answer = ref; });
        QTRY_VERIFY(answer);
        QCOMPARE(answer->has_value(), !refuse);
        QCOMPARE(backend->canGrabShortcuts(), !refuse);
        if (refuse)
            return;
        QVERIFY(bus.waitForLine(QStringLiteral("bind pick-color CTRL+ALT+c")));
        QCOMPARE(backend->triggerDescription(), QStringLiteral("CTRL+ALT+c"));

        bus.command(QStringLiteral("activate pick-color"));
        QTRY_COMPARE(presses, (QList<HotKeyIdentifier>{{HotKey::signature, 7}}));
    }

private:
    ShortcutDesk m_desk;
};

QTEST_GUILESS_MAIN(tst_HotKey)
#include "tst_HotKey.moc"
