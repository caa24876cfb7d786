#include "OrinHotkey/HotKey.h"
#include "Support/FakeHotKeyBackend.h"
#include "Support/RegisteredHotKey.h"

#include <QCoreApplication>
#include <QSet>
#include <QTest>

class tst_HotKey : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_desk = ShortcutDesk{};
        m_desk.nextRef = 100;
        HotKey::setBackend(std::make_unique<FakeHotKeyBackend>(m_desk));
    }
    void cleanup() { HotKey::setBackend(nullptr); }

    void registersUnderSignatureAndIdAndRefusalSpendsTheId() {
        const HotKeyCombo combo(8, 0x1800);
        const auto first = registeredHotKey(combo, [] {});
        QVERIFY(first);
        QVERIFY(first->id() >= 1);
        QCOMPARE(m_desk.attempts.size(), 1);
        QCOMPARE(m_desk.attempts[0].combo, combo);
        QCOMPARE(m_desk.attempts[0].identifier, (HotKeyIdentifier{0x4F52494Eu, first->id()}));
        m_desk.refused.insert(9);
        QVERIFY(!registeredHotKey({9, 0x1800}, [] {}));
        const auto third = registeredHotKey({10, 0x1800}, [] {});
        QVERIFY(third);
        QCOMPARE(third->id(), first->id() + 2);
        QCOMPARE(m_desk.registered.size(), 2);
        QCOMPARE(m_desk.unregistered.size(), 0);
        QCOMPARE(m_desk.installs, 1);
    }

    void actionRunsOnALaterTurn() {
        int runs = 0;
        const auto hotKey = registeredHotKey({8, 0x1800}, [&] { ++runs; });
        QVERIFY(hotKey);
        m_desk.press(hotKey->id());
        QCOMPARE(runs, 0); // never inside the platform's event handling
        QTRY_COMPARE(runs, 1);
        QCoreApplication::processEvents();
        QCOMPARE(runs, 1);
    }

    void eachPressRunsTheActionOfItsOwnId() {
        int a = 0;
        int b = 0;
        const auto first = registeredHotKey({8, 0x1800}, [&] { ++a; });
        const auto second = registeredHotKey({9, 0x1800}, [&] { ++b; });
        m_desk.press(second->id());
        m_desk.press(second->id());
        m_desk.press(first->id());
        QTRY_COMPARE(a + b, 3);
        QCOMPARE(a, 1);
        QCOMPARE(b, 2);
    }

    void droppingUnregisters() {
        auto hotKey = registeredHotKey({8, 0x1800}, [] {});
        QVERIFY(hotKey);
        const auto ref = m_desk.registered.keys().first();
        hotKey.reset();
        QCOMPARE(m_desk.unregistered, QList<HotKeyBackend::Ref>{ref});
        QVERIFY(m_desk.registered.isEmpty());
    }

    void unknownOrDroppedBetweenPressAndJobDoesNothing() {
        int runs = 0;
        auto hotKey = registeredHotKey({8, 0x1800}, [&] { ++runs; });
        const quint32 id = hotKey->id();
        m_desk.press(id + 1000); // unknown id
        m_desk.press(id);
        hotKey.reset();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(runs, 0);
    }

    void actionMayDropItsOwnHotKey() {
        int runs = 0;
        std::unique_ptr<HotKey> hotKey;
        hotKey = registeredHotKey({8, 0x1800}, [&] {
            ++runs;
            hotKey.reset();
        });
        const quint32 id = hotKey->id();
        m_desk.press(id);
        m_desk.press(id);
        QTRY_VERIFY(!hotKey);
        QCoreApplication::processEvents();
        QCOMPARE(runs, 1);
    }

private:
    ShortcutDesk m_desk;
};

QTEST_GUILESS_MAIN(tst_HotKey)
#include "tst_HotKey.moc"
