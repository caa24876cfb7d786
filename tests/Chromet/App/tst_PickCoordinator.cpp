#include "Chromet/App/PickCoordinator.h"
#include "Chromet/App/Preferences.h"
#include "Chromet/Library/LibraryStore.h"
#include "Support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// #336699, an inexact Tailwind match (sky-700).
const PickedColor skyBlue{{0.2, 0.4, 0.6}, {0.25, 0.395, 0.584}};
const PickedColor white{{1, 1, 1}, {1, 1, 1}};
const PickedColor mint{{0.1, 0.7, 0.9}, {0.2, 0.69, 0.88}};

} // namespace

// The glue between a pick, the library and the clipboard: which format and case the copy takes,
// and that each change is committed once. Formats, history order and the file are tested below.
class tst_PickCoordinator : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<LibraryStore> m_store;
    std::unique_ptr<PickCoordinator> m_coordinator;
    QStringList m_copied;
    int m_commits = 0;

    void makeStore(const QString &path) {
        m_coordinator.reset();
        m_store = std::make_unique<LibraryStore>(path);
        m_store->setOnChange([this] { ++m_commits; });
        m_coordinator = std::make_unique<PickCoordinator>(
            *m_store, *m_prefs, [this](const QString &text) { m_copied.append(text); });
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prefs = std::make_unique<Preferences>(m_dir->filePath(u"Chromet.conf"_s));
        makeStore(m_dir->filePath(u"Chromet/library.json"_s));
        m_commits = 0;
        m_copied.clear();
    }
    void cleanup() {
        m_coordinator.reset();
        m_store.reset();
    }

    void pickRecordsAndCopiesInTheDefaultFormat_data() {
        QTest::addColumn<PickedColor>("color");
        QTest::addColumn<ColorFormat>("format");
        QTest::addColumn<bool>("lowercaseHex");
        QTest::addColumn<QString>("copied");
        QTest::newRow("hex") << mint << ColorFormat::hex << false << u"#1AB3E6"_s;
        QTest::newRow("hex, lower case") << mint << ColorFormat::hex << true << u"#1ab3e6"_s;
        QTest::newRow("css variable, lower case")
            << mint << ColorFormat::cssVariable << true << u"--cyan-500: #1ab3e6;"_s;
        QTest::newRow("tailwind, inexact: no marker")
            << skyBlue << ColorFormat::tailwind << false << u"sky-700"_s;
    }
    void pickRecordsAndCopiesInTheDefaultFormat() {
        QFETCH(PickedColor, color);
        QFETCH(ColorFormat, format);
        QFETCH(bool, lowercaseHex);
        QFETCH(QString, copied);
        m_prefs->setDefaultFormat(format);
        m_prefs->setLowercaseHex(lowercaseHex);
        QVERIFY(m_coordinator->handlePick(color));
        QCOMPARE(m_copied, QStringList{copied});
        QCOMPARE(m_store->library().history, QList<PickedColor>{color});
        QCOMPARE(m_commits, 1);
        QCOMPARE(LibraryStore::decode(readAll(m_store->path())).value_or(Library{}).history,
                 m_store->library().history);
    }

    // A copy from the menu takes its own format and name, and changes nothing.
    void copyTakesItsOwnFormatAndName() {
        m_prefs->setDefaultFormat(ColorFormat::tailwind);
        QVERIFY(m_coordinator->copy(skyBlue, ColorFormat::cssVariable, u"Brand Blue"_s));
        QCOMPARE(m_copied, QStringList{u"--Brand Blue: #336699;"_s});
        QVERIFY(m_store->library().history.isEmpty());
        QCOMPARE(m_commits, 0);
    }

    void pinCommitsWhetherOrNotAdded() {
        const QUuid favorites = m_store->library().palettes.at(0).id;
        QVERIFY(m_coordinator->pin(skyBlue, favorites));
        QVERIFY(!m_coordinator->pin(skyBlue, favorites));
        QVERIFY(!m_coordinator->pin(skyBlue, QUuid::createUuid()));
        QCOMPARE(m_commits, 3);
        QCOMPARE(m_store->library().palettes.at(0).colors.size(), 1);
        QVERIFY(m_copied.isEmpty());
    }

    // A directory where the library file belongs turns saving off, for root too: picks still
    // record and copy.
    void savingOffStillRecordsAndCopies() {
        const QString path = m_dir->filePath(u"blocked/library.json"_s);
        QVERIFY(QDir().mkpath(path));
        makeStore(path);
        QVERIFY(m_store->saveDisabled());
        QVERIFY(m_coordinator->handlePick(skyBlue));
        QVERIFY(m_coordinator->handlePick(white));
        QCOMPARE(m_store->library().history, (QList<PickedColor>{white, skyBlue}));
        QCOMPARE(m_copied, (QStringList{"#336699", "#FFFFFF"}));
        QVERIFY(QFileInfo(path).isDir());
    }
};

QTEST_GUILESS_MAIN(tst_PickCoordinator)
#include "tst_PickCoordinator.moc"
