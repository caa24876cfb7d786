#include "Chromet/App/PickCoordinator.h"
#include "Chromet/App/Preferences.h"
#include "Chromet/Library/LibraryStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// #336699, an inexact Tailwind match (sky-700).
const PickedColor skyBlue{{0.2, 0.4, 0.6}, {0.25, 0.395, 0.584}};
const PickedColor white{{1, 1, 1}, {1, 1, 1}};
const PickedColor mint{{0.1, 0.7, 0.9}, {0.2, 0.69, 0.88}};

QStringList *chrometLines = nullptr;

void captureChrometLines(QtMsgType, const QMessageLogContext &context, const QString &message) {
    if (chrometLines && qstrcmp(context.category, "chromet") == 0)
        chrometLines->append(message);
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_PickCoordinator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void pickRecordsSavesAndCopies_data();
    void pickRecordsSavesAndCopies();
    void repickMovesToFrontAndCopiesAgain();
    void copyUsesPaletteNameOrNearestName_data();
    void copyUsesPaletteNameOrNearestName();
    void pinCommitsOnceWhetherOrNotAdded_data();
    void pinCommitsOnceWhetherOrNotAdded();
    void savingOffStillRecordsAndCopies();

private:
    void makeStore(const QString &path);
    // The library as the file holds it.
    std::optional<Library> savedLibrary() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_prefs;
    std::unique_ptr<LibraryStore> m_store;
    std::unique_ptr<PickCoordinator> m_coordinator;
    QStringList m_copied;
    int m_commits = 0;
    QStringList m_lines;
    QtMessageHandler m_previousHandler = nullptr;
};

void tst_PickCoordinator::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_prefs = std::make_unique<Preferences>(m_dir->filePath(QStringLiteral("Chromet.conf")));
    makeStore(m_dir->filePath(QStringLiteral("Chromet/library.json")));
    m_lines.clear();
    chrometLines = &m_lines;
    m_previousHandler = qInstallMessageHandler(captureChrometLines);
}

void tst_PickCoordinator::cleanup() {
    qInstallMessageHandler(m_previousHandler);
    chrometLines = nullptr;
    m_coordinator.reset();
    m_store.reset();
}

void tst_PickCoordinator::makeStore(const QString &path) {
    m_coordinator.reset();
    m_store = std::make_unique<LibraryStore>(path);
    m_store->setOnChange([this] { ++m_commits; });
    m_commits = 0;
    m_copied.clear();
    m_coordinator = std::make_unique<PickCoordinator>(
        *m_store, *m_prefs, [this](const QString &text) { m_copied.append(text); });
}

std::optional<Library> tst_PickCoordinator::savedLibrary() const {
    return LibraryStore::decode(readAll(m_store->path()));
}

void tst_PickCoordinator::pickRecordsSavesAndCopies_data() {
    QTest::addColumn<PickedColor>("color");
    QTest::addColumn<ColorFormat>("format");
    QTest::addColumn<bool>("lowercaseHex");
    QTest::addColumn<QString>("copied");

    QTest::newRow("hex") << mint << ColorFormat::hex << false << "#1AB3E6";
    QTest::newRow("hex, lower case") << mint << ColorFormat::hex << true << "#1ab3e6";
    QTest::newRow("tailwind, inexact: no marker")
        << skyBlue << ColorFormat::tailwind << false << "sky-700";
    QTest::newRow("css variable, lower case")
        << mint << ColorFormat::cssVariable << true << "--cyan-500: #1ab3e6;";
    QTest::newRow("P3") << skyBlue << ColorFormat::swiftUIP3 << false
                        << "Color(.displayP3, red: 0.250, green: 0.395, blue: 0.584)";
}

void tst_PickCoordinator::pickRecordsSavesAndCopies() {
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
    QCOMPARE(savedLibrary(), m_store->library());
}

void tst_PickCoordinator::repickMovesToFrontAndCopiesAgain() {
    for (const PickedColor &color : {skyBlue, white, mint, skyBlue})
        QVERIFY(m_coordinator->handlePick(color));
    QCOMPARE(m_store->library().history, (QList<PickedColor>{skyBlue, mint, white}));
    QCOMPARE(m_copied, (QStringList{"#336699", "#FFFFFF", "#1AB3E6", "#336699"}));
    QCOMPARE(m_commits, 4);
    QCOMPARE(savedLibrary()->history, m_store->library().history);
}

void tst_PickCoordinator::copyUsesPaletteNameOrNearestName_data() {
    QTest::addColumn<std::optional<QString>>("name");
    QTest::addColumn<QString>("copied");

    QTest::newRow("history color") << std::optional<QString>() << "--sky-700: #336699;";
    QTest::newRow("palette color")
        << std::optional<QString>(QStringLiteral("Brand Blue")) << "--Brand Blue: #336699;";
}

void tst_PickCoordinator::copyUsesPaletteNameOrNearestName() {
    QFETCH(std::optional<QString>, name);
    QFETCH(QString, copied);
    // The default format does not apply to a copy with an explicit format.
    m_prefs->setDefaultFormat(ColorFormat::tailwind);

    QVERIFY(m_coordinator->copy(skyBlue, ColorFormat::cssVariable, name));
    QCOMPARE(m_copied, QStringList{copied});
    QVERIFY(m_store->library().history.isEmpty());
    QCOMPARE(m_commits, 0);
}

void tst_PickCoordinator::pinCommitsOnceWhetherOrNotAdded_data() {
    QTest::addColumn<bool>("knownPalette");
    QTest::newRow("already in the palette") << true;
    QTest::newRow("unknown palette") << false;
}

void tst_PickCoordinator::pinCommitsOnceWhetherOrNotAdded() {
    QFETCH(bool, knownPalette);
    const QUuid favorites = m_store->library().palettes.at(0).id;
    QVERIFY(m_coordinator->pin(skyBlue, favorites));
    QCOMPARE(m_commits, 1);
    QCOMPARE(m_store->library().palettes.at(0).colors.size(), 1);

    // Something else in the file shows whether the next pin writes it again.
    QVERIFY(m_store->save());
    QFile file(m_store->path());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("{\"history\": [], \"palettes\": []}");
    file.close();

    const Library before = m_store->library();
    const QUuid target = knownPalette ? favorites : QUuid::createUuid();
    QVERIFY(!m_coordinator->pin(skyBlue, target));
    QCOMPARE(m_commits, 2);
    QCOMPARE(m_store->library(), before);
    QCOMPARE(savedLibrary(), m_store->library());
    QVERIFY(m_copied.isEmpty());
}

// A directory where the library file belongs turns saving off, for root too.
void tst_PickCoordinator::savingOffStillRecordsAndCopies() {
    const QString path = m_dir->filePath(QStringLiteral("blocked/library.json"));
    QVERIFY(QDir().mkpath(path));
    makeStore(path);
    QVERIFY(m_store->saveDisabled());
    m_lines.clear();

    const QString notSaving =
        QStringLiteral("Chromet: library file is unreadable, not saving to avoid overwriting it");
    QVERIFY(m_coordinator->handlePick(skyBlue));
    QCOMPARE(m_lines, QStringList{notSaving});
    QVERIFY(m_coordinator->handlePick(white));
    QCOMPARE(m_lines, (QStringList{notSaving, notSaving}));

    QCOMPARE(m_store->library().history, (QList<PickedColor>{white, skyBlue}));
    QCOMPARE(m_copied, (QStringList{"#336699", "#FFFFFF"}));
    QVERIFY(QFileInfo(path).isDir());
}

QTEST_GUILESS_MAIN(tst_PickCoordinator)
#include "tst_PickCoordinator.moc"
