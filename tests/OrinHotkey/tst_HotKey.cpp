#include "OrinHotkey/HotKey.h"

#include <QCoreApplication>
#include <QSet>
#include <QTest>

namespace {

// Records what the registry asks of the system and lets the test press keys.
class FakeBackend final : public HotKeyBackend {
public:
    struct Registration {
        HotKeyCombo combo;
        HotKeyIdentifier identifier;
    };

    void installHandler(Handler h) override {
        ++installs;
        handler = std::move(h);
    }
    std::optional<Ref> registerHotKey(const HotKeyCombo &combo,
                                      HotKeyIdentifier identifier) override {
        attempts.append({combo, identifier});
        if (refused.contains(combo.keyCode))
            return std::nullopt;
        const Ref ref = nextRef++;
        registered.insert(ref);
        return ref;
    }
    void unregisterHotKey(Ref ref) override {
        registered.remove(ref);
        unregistered.append(ref);
    }
    bool canGrabShortcuts() const override { return true; }

    void press(quint32 id) { handler({HotKey::signature, id}); }

    int installs = 0;
    Handler handler;
    QList<Registration> attempts;
    QSet<quint32> refused;
    QSet<Ref> registered;
    QList<Ref> unregistered;
    Ref nextRef = 100;
};

} // namespace

class tst_HotKey : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        auto backend = std::make_unique<FakeBackend>();
        m_backend = backend.get();
        HotKey::setBackend(std::move(backend));
    }
    void cleanup() {
        HotKey::setBackend(nullptr);
        m_backend = nullptr;
    }

    void registersUnderSignatureAndIdAndRefusalSpendsTheId() {
        const HotKeyCombo combo(8, 0x1800);
        const auto first = HotKey::create(combo, [] {});
        QVERIFY(first);
        QVERIFY(first->id() >= 1);
        QCOMPARE(m_backend->attempts.size(), 1);
        QCOMPARE(m_backend->attempts[0].combo, combo);
        QCOMPARE(m_backend->attempts[0].identifier, (HotKeyIdentifier{0x4F52494Eu, first->id()}));
        m_backend->refused.insert(9);
        QVERIFY(!HotKey::create({9, 0x1800}, [] {}));
        const auto third = HotKey::create({10, 0x1800}, [] {});
        QVERIFY(third);
        QCOMPARE(third->id(), first->id() + 2);
        QCOMPARE(m_backend->registered.size(), 2);
        QCOMPARE(m_backend->unregistered.size(), 0);
        QCOMPARE(m_backend->installs, 1);
    }

    void actionRunsOnALaterTurn() {
        int runs = 0;
        const auto hotKey = HotKey::create({8, 0x1800}, [&] { ++runs; });
        QVERIFY(hotKey);
        m_backend->press(hotKey->id());
        QCOMPARE(runs, 0); // never inside the platform's event handling
        QTRY_COMPARE(runs, 1);
        QCoreApplication::processEvents();
        QCOMPARE(runs, 1);
    }

    void eachPressRunsTheActionOfItsOwnId() {
        int a = 0;
        int b = 0;
        const auto first = HotKey::create({8, 0x1800}, [&] { ++a; });
        const auto second = HotKey::create({9, 0x1800}, [&] { ++b; });
        m_backend->press(second->id());
        m_backend->press(second->id());
        m_backend->press(first->id());
        QTRY_COMPARE(a + b, 3);
        QCOMPARE(a, 1);
        QCOMPARE(b, 2);
    }

    void droppingUnregisters() {
        auto hotKey = HotKey::create({8, 0x1800}, [] {});
        QVERIFY(hotKey);
        const auto ref = *m_backend->registered.begin();
        hotKey.reset();
        QCOMPARE(m_backend->unregistered, QList<HotKeyBackend::Ref>{ref});
        QVERIFY(m_backend->registered.isEmpty());
    }

    void unknownOrDroppedBetweenPressAndJobDoesNothing() {
        int runs = 0;
        auto hotKey = HotKey::create({8, 0x1800}, [&] { ++runs; });
        const quint32 id = hotKey->id();
        m_backend->press(id + 1000); // unknown id
        m_backend->press(id);
        hotKey.reset();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(runs, 0);
    }

    void refusalKeepsTheEarlierHotKey() {
        // What the application does on a new combination: create the new one while the old one
        // is held, keep the old one when the new one is refused.
        int oldRuns = 0;
        auto current = HotKey::create({8, 0x1800}, [&] { ++oldRuns; });
        m_backend->refused.insert(9);
        auto replacement = HotKey::create({9, 0x1800}, [] {});
        QVERIFY(!replacement);
        QCOMPARE(m_backend->registered.size(), 1);
        m_backend->press(current->id());
        QTRY_COMPARE(oldRuns, 1);
    }

    void replacementReleasesTheOldOne() {
        int newRuns = 0;
        auto current = HotKey::create({8, 0x1800}, [] {});
        const quint32 oldId = current->id();
        auto replacement = HotKey::create({9, 0x1800}, [&] { ++newRuns; });
        QVERIFY(replacement);
        current = std::move(replacement);
        QCOMPARE(m_backend->registered.size(), 1);
        QCOMPARE(m_backend->unregistered.size(), 1);
        m_backend->press(oldId);
        m_backend->press(current->id());
        QTRY_COMPARE(newRuns, 1);
    }

    void actionMayDropItsOwnHotKey() {
        int runs = 0;
        std::unique_ptr<HotKey> hotKey;
        hotKey = HotKey::create({8, 0x1800}, [&] {
            ++runs;
            hotKey.reset();
        });
        const quint32 id = hotKey->id();
        m_backend->press(id);
        m_backend->press(id);
        QTRY_VERIFY(!hotKey);
        QCoreApplication::processEvents();
        QCOMPARE(runs, 1);
    }

private:
    FakeBackend *m_backend = nullptr;
};

QTEST_GUILESS_MAIN(tst_HotKey)
#include "tst_HotKey.moc"
