#include "Chromet/Library/LibraryStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QStringList *capturedLines = nullptr;

void captureChrometLines(QtMsgType, const QMessageLogContext &context, const QString &message) {
    if (capturedLines && qstrcmp(context.category, "chromet") == 0)
        capturedLines->append(message);
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool writeAll(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QDateTime stampTime() {
    return QDateTime(QDate(2024, 1, 31), QTime(23, 59, 59));
}

const QString stamp = u"20240131-235959"_s;

PickedColor gray(double value) {
    return PickedColor{{value, value, value}, {value, value, value}};
}

QStringList entries(const QString &folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// What exactFileText() saves, byte for byte (defined below the class: moc misreads it).
extern const QByteArray exactText;

} // namespace

class tst_LibraryStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_home.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path()));
    }
    void init() {
        m_dir = std::make_unique<QTemporaryDir>(m_home.path() + u"/case-XXXXXX"_s);
        QVERIFY(m_dir->isValid());
        m_lines.clear();
        capturedLines = &m_lines;
        m_previousHandler = qInstallMessageHandler(captureChrometLines);
    }
    void cleanup() {
        qInstallMessageHandler(m_previousHandler);
        capturedLines = nullptr;
        // Undo permission changes so the temporary folder can be removed.
        for (const QString &path : {folder(), libraryPath()})
            ::chmod(QFile::encodeName(path).constData(), 0700);
        m_dir.reset();
    }

    void defaultPathHonoursXdgDataHome() {
        QCOMPARE(LibraryStore::defaultPath(), m_home.path() + u"/Chromet/library.json"_s);
    }
    void missingFolderStartsDefaultAndSavesOnFirstChange() {
        const QString path = m_dir->path() + u"/a/b/Chromet/library.json"_s;
        auto store = openStore(path);
        QVERIFY(store->isSaving());
        QVERIFY(!store->saveDisabled());
        QVERIFY(store->library().history.isEmpty());
        QCOMPARE(store->library().palettes.size(), 1);
        QCOMPARE(store->library().palettes[0].name, u"Favorites"_s);
        QVERIFY(!QFileInfo::exists(m_dir->path() + u"/a"_s));
        QVERIFY(m_lines.isEmpty());

        int changes = 0;
        store->setOnChange([&] {
            ++changes;
            // The callback runs before the save.
            QVERIFY(!QFileInfo::exists(path));
        });
        store->library().record(gray(0.5));
        store->commit();
        QCOMPARE(changes, 1);
        QVERIFY(store->isSaving());
        QVERIFY(m_lines.isEmpty());

        QCOMPARE(LibraryStore::decode(readAll(path))->history, QList<PickedColor>{gray(0.5)});
        QCOMPARE(entries(QFileInfo(path).path()), QStringList{u"library.json"_s});
    }
    void reloadsWhatItSaved() {
        auto store = openStore(libraryPath());
        Library &library = store->library();
        for (int i = 0; i < 20; ++i)
            library.record(PickedColor{{i / 19.0, 0.5, 1 - i / 19.0}, {i / 23.0, 0.45, 0.9}});
        const QUuid web = library.addPalette(u"Web/Print"_s).id;
        QVERIFY(library.pin(library.history[3], web));
        QVERIFY(library.pin(library.history[4], library.palettes[0].id));
        store->commit();
        QVERIFY(store->isSaving());

        auto reloaded = openStore(libraryPath());
        QCOMPARE(reloaded->library(), store->library());
        QVERIFY(reloaded->isSaving());
        QVERIFY(m_lines.isEmpty());
    }
    void corruptFileIsMovedAside_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("error");

        QTest::newRow("empty object") << QByteArray("{}") << u"library.history: missing"_s;
        QTest::newRow("array") << QByteArray("[1, 2]") << u"library: not an object"_s;
        QTest::newRow("empty file") << QByteArray() << u"JSON parse error at offset "_s;
        QTest::newRow("truncated")
            << QByteArray("{\"history\": [], \"palettes\": [") << u"JSON parse error at offset "_s;
        QTest::newRow("wrong type") << QByteArray(R"({"history": [], "palettes": {}})")
                                    << u"library.palettes: not an array"_s;
        QTest::newRow("bad id")
            << QByteArray(
                   R"({"history": [], "palettes": [{"id": "x", "name": "A", "colors": []}]})")
            << u"library.palettes[0].id: not a UUID"_s;
    }
    void corruptFileIsMovedAside() {
        QFETCH(QByteArray, content);
        QFETCH(QString, error);
        QVERIFY(writeAll(libraryPath(), content));

        auto store = openStore(libraryPath());
        const QString backupName = u"library.corrupt-"_s + stamp + u".json"_s;
        QCOMPARE(m_lines.size(), 1);
        // Parse errors carry Qt's own wording and offset; check those up to the wording.
        const QString expected =
            u"Chromet: library is corrupt, moved aside to "_s + backupName + ": " + error;
        if (error.endsWith(u"offset "_s))
            QVERIFY2(m_lines[0].startsWith(expected), qPrintable(m_lines[0]));
        else
            QCOMPARE(m_lines[0], expected);
        QVERIFY(!QFileInfo::exists(libraryPath()));
        QCOMPARE(readAll(folder() + QLatin1Char('/') + backupName), content);
        QVERIFY(store->isSaving());
        QVERIFY(!store->saveDisabled());
        QVERIFY(store->library().history.isEmpty());
        QCOMPARE(store->library().palettes.size(), 1);
        QCOMPARE(store->library().palettes[0].name, u"Favorites"_s);

        // The next change writes a fresh file; the backup stays.
        store->commit();
        QVERIFY(LibraryStore::decode(readAll(libraryPath())).has_value());
        QCOMPARE(readAll(folder() + QLatin1Char('/') + backupName), content);
    }
    void corruptBackupsWithinOneSecondAreNumbered() {
        const QString base = folder() + u"/library.corrupt-"_s + stamp;
        for (int round = 1; round <= 3; ++round) {
            const QByteArray content = "corrupt " + QByteArray::number(round);
            QVERIFY(writeAll(libraryPath(), content));
            openStore(libraryPath());
            const QString expected =
                round == 1 ? QString(base + u".json"_s)
                           : QString(base + QLatin1Char('-') + QString::number(round) + ".json");
            QCOMPARE(readAll(expected), content);
            QVERIFY(m_lines.last().contains(QFileInfo(expected).fileName() + u": "_s));
        }
        QCOMPARE(readAll(base + u".json"_s), QByteArray("corrupt 1"));
        QCOMPARE(readAll(base + u"-2.json"_s), QByteArray("corrupt 2"));

        // Anything standing at a candidate name counts as taken, even a dangling link.
        QVERIFY(QFile::link(m_dir->path() + u"/nowhere"_s, base + u"-4.json"_s));
        QCOMPARE(LibraryStore::backupPath(libraryPath(), stampTime()), base + u"-5.json"_s);
    }
    void directoryAtPathIsUnreadableAndNeverTouched() {
        QVERIFY(QDir().mkpath(libraryPath()));
        auto store = openStore(libraryPath());
        QCOMPARE(m_lines, QStringList{u"Chromet: failed to read library: "_s + libraryPath() +
                                      u": Is a directory"_s});
        QVERIFY(store->saveDisabled());
        QVERIFY(!store->isSaving());
        QCOMPARE(store->library().palettes.size(), 1);

        int changes = 0;
        store->setOnChange([&] { ++changes; });
        m_lines.clear();
        for (int i = 0; i < 3; ++i) {
            store->library().record(gray(i / 10.0));
            store->commit();
        }
        QCOMPARE(changes, 3);
        const QString line =
            u"Chromet: library file is unreadable, not saving to avoid overwriting it"_s;
        QCOMPARE(m_lines, (QStringList{line, line, line}));
        QVERIFY(!store->save());
        QVERIFY(!store->isSaving());
        QVERIFY(QFileInfo(libraryPath()).isDir());
        QVERIFY(entries(libraryPath()).isEmpty());
        QCOMPARE(entries(folder()), QStringList{u"library.json"_s});
    }
    void danglingSymlinkIsUnreadable() {
        QVERIFY(QDir().mkpath(folder()));
        const QString target = m_dir->path() + u"/unmounted/library.json"_s;
        QVERIFY(QFile::link(target, libraryPath()));
        auto store = openStore(libraryPath());
        QVERIFY(store->saveDisabled());
        QCOMPARE(m_lines.size(), 1);
        QVERIFY(m_lines[0].startsWith(u"Chromet: failed to read library: "_s));
        store->commit();
        QCOMPARE(QFileInfo(libraryPath()).symLinkTarget(), target);
        QVERIFY(!QFileInfo::exists(target));
    }
    void unreadablePermissionsAreLeftAlone() {
        if (::geteuid() == 0)
            QSKIP("permission bits do not stop root");
        auto writer = openStore(libraryPath());
        writer->library().record(gray(0.5));
        writer->commit();
        const QByteArray content = readAll(libraryPath());
        QVERIFY(!content.isEmpty());
        QCOMPARE(::chmod(QFile::encodeName(libraryPath()).constData(), 0), 0);

        auto store = openStore(libraryPath());
        QCOMPARE(m_lines, QStringList{u"Chromet: failed to read library: "_s + libraryPath() +
                                      u": Permission denied"_s});
        QVERIFY(store->saveDisabled());
        QVERIFY(!store->isSaving());
        QVERIFY(store->library().history.isEmpty());
        for (int i = 0; i < 5; ++i) {
            store->library().record(gray(i / 10.0));
            store->commit();
        }
        QCOMPARE(m_lines.size(), 6);
        QCOMPARE(::chmod(QFile::encodeName(libraryPath()).constData(), 0600), 0);
        QCOMPARE(readAll(libraryPath()), content);
        QCOMPARE(entries(folder()), QStringList{u"library.json"_s});
    }
    void saveFailsWhileDirectoryStandsAtFileAndRecovers() {
        auto store = openStore(libraryPath());
        QVERIFY(QDir().mkpath(libraryPath()));
        store->library().record(gray(0.1));
        store->commit();
        QVERIFY(!store->isSaving());
        QVERIFY(!store->saveDisabled());
        QCOMPARE(m_lines, QStringList{u"Chromet: failed to save library: "_s + libraryPath() +
                                      u": Filename refers to a directory"_s});
        QVERIFY(QFileInfo(libraryPath()).isDir());

        QVERIFY(QDir().rmdir(libraryPath()));
        store->library().record(gray(0.2));
        store->commit();
        QVERIFY(store->isSaving());
        QCOMPARE(LibraryStore::decode(readAll(libraryPath()))->history,
                 (QList<PickedColor>{gray(0.2), gray(0.1)}));
        QCOMPARE(entries(folder()), QStringList{u"library.json"_s});
    }
    void saveFailsWhileFolderCannotBeCreatedAndRecovers() {
        // A plain file where the folder belongs stops mkpath, for root as well.
        QVERIFY(writeAll(folder(), "in the way"));
        auto store = openStore(libraryPath());
        QVERIFY(store->isSaving());
        QVERIFY(m_lines.isEmpty());
        store->commit();
        QVERIFY(!store->isSaving());
        QCOMPARE(m_lines.size(), 1);
        QVERIFY2(m_lines[0].startsWith(u"Chromet: failed to save library: "_s + folder() + u": "_s),
                 qPrintable(m_lines[0]));
        QCOMPARE(readAll(folder()), QByteArray("in the way"));

        QVERIFY(QFile::remove(folder()));
        store->commit();
        QVERIFY(store->isSaving());
        QVERIFY(LibraryStore::decode(readAll(libraryPath())).has_value());
    }
    void saveFailsInReadOnlyFolderAndRecovers() {
        if (::geteuid() == 0)
            QSKIP("permission bits do not stop root");
        auto store = openStore(libraryPath());
        store->commit();
        const QByteArray before = readAll(libraryPath());
        QCOMPARE(::chmod(QFile::encodeName(folder()).constData(), 0500), 0);
        store->library().record(gray(0.3));
        store->commit();
        QVERIFY(!store->isSaving());
        QCOMPARE(m_lines.size(), 1);
        QCOMPARE(readAll(libraryPath()), before);

        QCOMPARE(::chmod(QFile::encodeName(folder()).constData(), 0700), 0);
        store->commit();
        QVERIFY(store->isSaving());
        QCOMPARE(LibraryStore::decode(readAll(libraryPath()))->history,
                 QList<PickedColor>{gray(0.3)});
    }
    void saveReplacesFileWhole() {
        auto store = openStore(libraryPath());
        store->commit();
        const QByteArray first = readAll(libraryPath());
        // A second name for the old file keeps the old bytes only if the file is replaced by a new
        // one rather than rewritten in place.
        const QString oldName = m_dir->path() + u"/old.json"_s;
        QCOMPARE(::link(QFile::encodeName(libraryPath()).constData(),
                        QFile::encodeName(oldName).constData()),
                 0);
        store->library().record(gray(0.7));
        store->commit();
        QCOMPARE(readAll(oldName), first);
        QVERIFY(readAll(libraryPath()) != first);
        QCOMPARE(entries(folder()), QStringList{u"library.json"_s});
    }
    void exactFileText() {
        auto store = openStore(libraryPath());
        Library &library = store->library();
        library.history = {PickedColor{{0.2, 0.1 + 0.2, 1.0}, {1e-7, 0.0, 0.9999999999999999}}};
        library.palettes = {
            Palette{QUuid::fromString(u"0B6F4C1E-9A53-4D2E-8F71-3C5D2A9E7B10"_s),
                    u"Brand/Web \"v2\"\t\x01\\\u00fc"_s,
                    {NamedColor{QUuid::fromString(u"d3a1f2c4-5b6e-4f70-8a9b-0c1d2e3f4a5b"_s),
                                u"sky-700/alt"_s,
                                PickedColor{{0, 0.411635, 0.660296}, {0.25, 0.5, 0.75}}}}},
            Palette{QUuid::fromString(u"00000000-0000-0000-0000-000000000001"_s), u"Empty"_s, {}}};
        store->commit();
        QCOMPARE(readAll(libraryPath()), exactText);
        QCOMPARE(*LibraryStore::decode(readAll(libraryPath())), library);
    }
    void numbersReadBackExactly() {
        QRandomGenerator random(20240131);
        Library library;
        for (int i = 0; i < 20; ++i) {
            const auto channel = [&] {
                return random.generateDouble() * (i % 4 == 0 ? 1e-5 : 1.0);
            };
            library.history.append(PickedColor{{channel(), channel(), channel()},
                                               {channel(), channel(), 1.0 + channel()}});
        }
        library.history.append(PickedColor{{5e-324, std::numeric_limits<double>::max(), -0.5},
                                           {1e21, 123456789.125, 1.0 / 3.0}});
        const auto decoded = LibraryStore::decode(*LibraryStore::encode(library));
        QVERIFY(decoded);
        QCOMPARE(decoded->history.size(), library.history.size());
        for (qsizetype i = 0; i < library.history.size(); ++i) {
            const PickedColor &a = library.history[i];
            const PickedColor &b = decoded->history[i];
            for (const auto &[x, y] : {std::pair{a.srgb.r, b.srgb.r},
                                       {a.srgb.g, b.srgb.g},
                                       {a.srgb.b, b.srgb.b},
                                       {a.p3.r, b.p3.r},
                                       {a.p3.g, b.p3.g},
                                       {a.p3.b, b.p3.b}})
                QCOMPARE(std::memcmp(&x, &y, sizeof(double)), 0);
        }
    }
    void namesReadBackExactly() {
        QString every;
        for (char16_t c = 0; c < 0x80; ++c)
            every += QChar(c);
        const QStringList names{every, u"\u00e9t\u00e9 \u2028 \U0001F3A8 \u65e5\u672c"_s,
                                u"\\/\\\\\"/"_s, QString()};
        Library library;
        for (const QString &name : names)
            library.palettes.append(Palette{QUuid::createUuid(), name, {}});
        const auto text = LibraryStore::encode(library);
        QVERIFY(text);
        QJsonParseError error;
        QJsonDocument::fromJson(*text, &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(*LibraryStore::decode(*text), library);
    }
    void nonFiniteChannelFailsSaveAndKeepsFile() {
        auto store = openStore(libraryPath());
        store->commit();
        const QByteArray before = readAll(libraryPath());
        store->library().record(PickedColor{{std::nan(""), 0, 0}, {0, 0, 0}});
        store->commit();
        QVERIFY(!store->isSaving());
        QCOMPARE(m_lines, QStringList{QStringLiteral(
                              "Chromet: failed to save library: history[0]: a channel is not a "
                              "finite number")});
        QCOMPARE(readAll(libraryPath()), before);

        store->library().clearHistory();
        QVERIFY(
            store->library().pin(PickedColor{{0, std::numeric_limits<double>::infinity(), 0}, {}},
                                 store->library().palettes[0].id));
        QVERIFY(!store->save());
        QVERIFY(m_lines.last().endsWith(
            u"palettes[0].colors[0].color: a channel is not a finite number"_s));
        store->library().palettes[0].colors.clear();
        QVERIFY(store->save());
        QVERIFY(store->isSaving());
    }
    void noLocationKeepsLibraryInMemory() {
        LibraryStore store{QString()};
        QVERIFY(!store.isSaving());
        QVERIFY(!store.saveDisabled());
        QCOMPARE(store.library().palettes.size(), 1);
        QCOMPARE(m_lines.size(), 1);
        store.library().record(gray(0.5));
        store.commit();
        QVERIFY(!store.isSaving());
        QCOMPARE(m_lines.last(),
                 u"Chromet: failed to save library: no location for the library file"_s);
        QCOMPARE(store.library().history.size(), 1);
        QVERIFY(entries(m_dir->path()).isEmpty());
    }

private:
    QString folder() const { return m_dir->path() + u"/Chromet"_s; }
    QString libraryPath() const { return folder() + u"/library.json"_s; }
    std::unique_ptr<LibraryStore> openStore(const QString &path) {
        return std::make_unique<LibraryStore>(path, [] { return stampTime(); });
    }

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_lines;
    QtMessageHandler m_previousHandler = nullptr;
};

namespace {
const QByteArray exactText = R"({
  "history": [
    {
      "p3": {
        "b": 0.9999999999999999,
        "g": 0,
        "r": 1e-07
      },
      "srgb": {
        "b": 1,
        "g": 0.30000000000000004,
        "r": 0.2
      }
    }
  ],
  "palettes": [
    {
      "colors": [
        {
          "color": {
            "p3": {
              "b": 0.75,
              "g": 0.5,
              "r": 0.25
            },
            "srgb": {
              "b": 0.660296,
              "g": 0.411635,
              "r": 0
            }
          },
          "id": "d3a1f2c4-5b6e-4f70-8a9b-0c1d2e3f4a5b",
          "name": "sky-700\/alt"
        }
      ],
      "id": "0b6f4c1e-9a53-4d2e-8f71-3c5d2a9e7b10",
      "name": "Brand\/Web \"v2\"\t\u0001\\ü"
    },
    {
      "colors": [],
      "id": "00000000-0000-0000-0000-000000000001",
      "name": "Empty"
    }
  ]
}
)";
} // namespace

QTEST_GUILESS_MAIN(tst_LibraryStore)
#include "tst_LibraryStore.moc"
