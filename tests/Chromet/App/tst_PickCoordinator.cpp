#include "Chromet/App/PickCoordinator.h"
#include "Chromet/App/Preferences.h"
#include "Chromet/Library/LibraryStore.h"
#include "Support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const PickedColor skyBlue{{0.2, 0.4, 0.6}, {0.2, 0.4, 0.6}};
const PickedColor mint{{0.1, 0.7, 0.9}, {0.2, 0.69, 0.88}};

} // namespace

// The glue between a pick, the library and the clipboard; the formats, the history's order and
// the file have tests of their own.
class tst_PickCoordinator : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<LibraryStore> m_store;
    std::unique_ptr<PickCoordinator> m_coordinator;
    QStringList m_copied;
    int m_commits = 0;

    Library saved() const {
        return LibraryStore::decode(readAll(m_store->path())).value_or(Library{});
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prefs = std::make_unique<Preferences>(m_dir->filePath(u"Chromet.conf"_s));
        m_store = std::make_unique<LibraryStore>(m_dir->filePath(u"Chromet/library.json"_s));
        m_store->setOnChange([this] { ++m_commits; });
        m_coordinator = std::make_unique<PickCoordinator>(
            *m_store, *m_prefs, [this](const QString &text) { m_copied.append(text); });
        m_commits = 0;
        m_copied.clear();
    }

    // A pick is recorded and saved, then copied in the default format and case; a copy from the
    // menu takes its own format and name and changes nothing; a pin commits whether or not it
    // added the color.
    void pickCopyAndPin() {
        m_prefs->setDefaultFormat(ColorFormat::cssVariable);
        m_prefs->setLowercaseHex(true);
        QVERIFY(m_coordinator->handlePick(mint));
        QCOMPARE(m_copied, QStringList{u"--cyan-500: #1ab3e6;"_s});
        QCOMPARE(m_commits, 1);
        QCOMPARE(saved().history, QList<PickedColor>{mint});

        QVERIFY(m_coordinator->copy(skyBlue, ColorFormat::cssVariable, u"Brand Blue"_s));
        QCOMPARE(m_copied.last(), u"--Brand Blue: #336699;"_s);
        QCOMPARE(m_store->library().history, QList<PickedColor>{mint});
        QCOMPARE(m_commits, 1);

        const QUuid favorites = m_store->library().palettes.at(0).id;
        QVERIFY(m_coordinator->pin(skyBlue, favorites));
        QVERIFY(!m_coordinator->pin(skyBlue, favorites));
        QVERIFY(!m_coordinator->pin(skyBlue, QUuid::createUuid()));
        QCOMPARE(m_commits, 4);
        QCOMPARE(saved().palettes.at(0).colors.size(), 1);
        QCOMPARE(m_copied.size(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_PickCoordinator)
#include "tst_PickCoordinator.moc"
