#include "Chromet/Library/LibraryStore.h"
#include "Support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>
#include <optional>
#include <utility>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QDateTime stampTime() {
    return QDateTime(QDate(2024, 1, 31), QTime(23, 59, 59));
}

PickedColor gray(double value) {
    return PickedColor{{value, value, value}, {value, value, value}};
}

QStringList entries(const QString &folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// What exactFileText() saves, byte for byte (defined below the class: moc misreads it).
extern const QByteArray exactText;

// A small tmpfs over `folder`, so the test controls how full and how writable it is, for root as
// well. False when mounting is not allowed here.
bool mountTmpfs(const QString &folder, unsigned long flags = 0) {
    return ::mount(flags ? nullptr : "tmpfs", QFile::encodeName(folder).constData(),
                   flags ? nullptr : "tmpfs", flags, "size=64k") == 0;
}

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
        m_log.emplace();
    }
    void cleanup() {
        m_log.reset();
        // Undo permission changes so the temporary folder can be removed; never through a planted
        // link, whose target may be a system file.
        for (const QString &path : {folder(), libraryPath()}) {
            if (!QFileInfo(path).isSymLink())
                ::chmod(QFile::encodeName(path).constData(), 0700);
        }
        if (std::exchange(m_mounted, false))
            ::umount2(QFile::encodeName(folder()).constData(), MNT_DETACH);
        m_dir.reset();
    }

    void missingFolderStartsDefaultAndSavesOnFirstChange() {
        QCOMPARE(LibraryStore::defaultPath(), m_home.path() + u"/Chromet/library.json"_s);
        const QString path = m_dir->path() + u"/a/b/Chromet/library.json"_s;
        auto store = openStore(path);
        QVERIFY(store->isSaving());
        QCOMPARE(store->library().palettes.size(), 1);
        QVERIFY(!QFileInfo::exists(m_dir->path() + u"/a"_s));

        int changes = 0;
        store->setOnChange([&] {
            ++changes;
            QVERIFY(!QFileInfo::exists(path)); // before the save
        });
        store->library().record(gray(0.5));
        store->commit();
        QCOMPARE(changes, 1);
        QVERIFY(store->isSaving());
        QVERIFY(m_log->lines.isEmpty());
        QCOMPARE(LibraryStore::decode(readAll(path))->history, QList<PickedColor>{gray(0.5)});
        QCOMPARE(entries(QFileInfo(path).path()), QStringList{u"library.json"_s});
    }
    void corruptBackupsWithinOneSecondAreNumbered() {
        const QString base = folder() + u"/library.corrupt-20240131-235959"_s;
        for (const QString &name : {u".json"_s, u"-2.json"_s, u"-3.json"_s}) {
            QVERIFY(writeAll(libraryPath(), name.toUtf8()));
            openStore(libraryPath());
            QCOMPARE(readAll(base + name), name.toUtf8());
        }
        // Anything standing at a candidate name counts as taken, even a dangling link.
        QVERIFY(QFile::link(m_dir->path() + u"/nowhere"_s, base + u"-4.json"_s));
        QCOMPARE(LibraryStore::backupPath(libraryPath(), stampTime()), base + u"-5.json"_s);
    }
    // Something in the way of the file or of its folder fails the save until it is gone.
    void saveFailsWhileSomethingIsInTheWay_data() {
        QTest::addColumn<bool>("folderIsAFile");
        QTest::newRow("directory at the file") << false;
        QTest::newRow("file at the folder") << true; // stops mkpath, for root as well
    }
    void saveFailsWhileSomethingIsInTheWay() {
        QFETCH(bool, folderIsAFile);
        auto store = openStore(libraryPath());
        const QString obstacle = folderIsAFile ? folder() : libraryPath();
        QVERIFY(folderIsAFile ? writeAll(obstacle, "in the way") : QDir().mkpath(obstacle));
        store->library().record(gray(0.1));
        store->commit();
        QVERIFY(!store->isSaving());
        QVERIFY(!store->saveDisabled());
        QCOMPARE(m_log->lines.size(), 1);
        QVERIFY2(
            m_log->lines[0].startsWith(u"Chromet: failed to save library: "_s + obstacle + u": "_s),
            qPrintable(m_log->lines[0]));

        QVERIFY(folderIsAFile ? QFile::remove(obstacle) : QDir().rmdir(obstacle));
        store->library().record(gray(0.2));
        store->commit();
        QVERIFY(store->isSaving());
        QCOMPARE(LibraryStore::decode(readAll(libraryPath()))->history,
                 (QList<PickedColor>{gray(0.2), gray(0.1)}));
        QCOMPARE(entries(folder()), QStringList{u"library.json"_s});
    }
    // A save replaces the file whole, so a crash leaves the old library or the new one, and at
    // most a temporary file, which the next start removes.
    void saveReplacesFileWholeAndStartRemovesInterruptedSaves() {
        openStore(libraryPath())->commit();
        const QByteArray first = readAll(libraryPath());
        // A second name for the old file keeps the old bytes only if the file is replaced by a new
        // one rather than rewritten in place.
        const QString oldName = m_dir->path() + u"/old.json"_s;
        QCOMPARE(::link(QFile::encodeName(libraryPath()).constData(),
                        QFile::encodeName(oldName).constData()),
                 0);
        QVERIFY(writeAll(folder() + u"/library.json.Ab12Cd"_s, "interrupted"));
        QVERIFY(writeAll(folder() + u"/library.json.Ab-2Cd"_s, "someone else's"));
        auto store = openStore(libraryPath());
        QCOMPARE(entries(folder()), (QStringList{u"library.json"_s, u"library.json.Ab-2Cd"_s}));
        store->library().record(gray(0.7));
        store->commit();
        QCOMPARE(readAll(oldName), first);
        QCOMPARE(LibraryStore::decode(readAll(libraryPath()))->history.size(), 1);
    }
    void exactFileText() {
        auto store = openStore(libraryPath());
        Library &library = store->library();
        library.history.clear();
        library.palettes = {Palette{
            QUuid::fromString(u"0B6F4C1E-9A53-4D2E-8F71-3C5D2A9E7B10"_s),
            u"Brand/Web \"v2\"\t\x01\x1f\b\f\n\r\\\u00fc\U0001F3A8"_s,
            {NamedColor{QUuid::fromString(u"d3a1f2c4-5b6e-4f70-8a9b-0c1d2e3f4a5b"_s),
                        u"sky-700/alt"_s,
                        PickedColor{{0.2, 0.1 + 0.2, 1.0}, {1e-7, 0.0, 0.9999999999999999}}}}}};
        store->commit();
        QCOMPARE(readAll(libraryPath()), exactText);
        QCOMPARE(*LibraryStore::decode(readAll(libraryPath())), library);
    }
    void unsavableLibraryStaysInMemory() {
        auto store = openStore(libraryPath());
        store->commit();
        const QByteArray before = readAll(libraryPath());
        store->library().record(PickedColor{{std::nan(""), 0, 0}, {0, 0, 0}});
        store->commit();
        QVERIFY(!store->isSaving());
        QCOMPARE(m_log->lines, QStringList{u"Chromet: failed to save library: history[0]: a "
                                           "channel is not a finite number"_s});
        QCOMPARE(readAll(libraryPath()), before);
        store->library().clearHistory();
        QVERIFY(store->save());

        LibraryStore nowhere{QString()};
        QVERIFY(!nowhere.saveDisabled());
        nowhere.library().record(gray(0.5));
        nowhere.commit();
        QVERIFY(!nowhere.isSaving());
        QCOMPARE(m_log->lines.last(),
                 u"Chromet: failed to save library: no location for the library file"_s);
        QCOMPARE(nowhere.library().history.size(), 1);
    }
    void failedSaveKeepsFileAndMemory_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("full disk") << false;
        QTest::newRow("read-only file system") << true;
    }
    void failedSaveKeepsFileAndMemory() {
        QFETCH(bool, readOnly);
        QVERIFY(QDir().mkpath(folder()));
        if (!mountTmpfs(folder()))
            QSKIP("mounting a small tmpfs is not allowed here (needs root or CAP_SYS_ADMIN)");
        m_mounted = true;
        LibraryStore store(libraryPath(), [] { return stampTime(); });
        store.library().record(gray(0.5));
        store.commit();
        QVERIFY(store.isSaving());
        const QByteArray before = readAll(libraryPath());

        // Far more than 64 KiB once written, or a file system that takes nothing at all.
        const Palette big = store.library().addPalette(u"Big"_s);
        for (int i = 0; i < (readOnly ? 1 : 600); ++i)
            store.library().pin(gray(i / 600.0), big.id);
        const Library wanted = store.library();
        if (readOnly)
            QVERIFY(mountTmpfs(folder(), MS_REMOUNT | MS_RDONLY));
        store.commit();
        QVERIFY(!store.isSaving());
        QCOMPARE(m_log->lines.size(), 1);
        QVERIFY2(m_log->lines[0].startsWith(u"Chromet: failed to save library: "_s),
                 qPrintable(m_log->lines[0]));
        QCOMPARE(readAll(libraryPath()), before);
        QCOMPARE(store.library(), wanted);
        QCOMPARE(entries(folder()), QStringList{u"library.json"_s});

        // Once there is room again, the next change saves everything.
        if (readOnly)
            QVERIFY(mountTmpfs(folder(), MS_REMOUNT));
        else
            store.library().palettes.last().colors.resize(10);
        store.commit();
        QVERIFY(store.isSaving());
        QCOMPARE(*LibraryStore::decode(readAll(libraryPath())), store.library());
    }
    void hostileFileIsNeverOverwritten_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("special"); // empty: a file that reads but is no library
        QTest::addColumn<QString>("problem");

        const auto row = [](const char *name, const QByteArray &content, const char *special,
                            const char *problem) {
            QTest::newRow(name) << content << QString::fromUtf8(special)
                                << QString::fromUtf8(problem);
        };
        row("directory", {}, "directory", "Is a directory");
        row("link to an unmounted drive", {}, "dangling", "the symbolic link points to nothing");
        row("no read permission", "{}", "mode 0", "Permission denied");
        // Also proves the open does not block.
        row("FIFO", {}, "fifo", "not a regular file");
        row("100 MB", {}, "100 MB", "too large for a library");
        row("truncated", "{\"history\": [], \"palettes\": [", "",
            "moved aside to library.corrupt-20240131-235959.json: JSON parse error at offset ");
        row("bad id", R"({"history": [], "palettes": [{"id": "x", "name": "A", "colors": []}]})",
            "",
            "moved aside to library.corrupt-20240131-235959.json: library.palettes[0].id: "
            "not a UUID");
        row("nested 10,000 deep", QByteArray(10000, '[') + QByteArray(10000, ']'), "",
            "too deeply nested");
    }
    void hostileFileIsNeverOverwritten() {
        QFETCH(QByteArray, content);
        QFETCH(QString, special);
        QFETCH(QString, problem);
        const QByteArray path = QFile::encodeName(libraryPath());
        QVERIFY(QDir().mkpath(folder()));
        if (special == u"mode 0"_s && ::geteuid() == 0)
            QSKIP("permission bits do not stop root");
        if (special == u"fifo"_s)
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        else if (special == u"directory"_s)
            QVERIFY(QDir().mkpath(libraryPath()));
        else if (special == u"dangling"_s)
            QVERIFY(QFile::link(m_dir->path() + u"/unmounted/library.json"_s, libraryPath()));
        else
            QVERIFY(writeAll(libraryPath(), content));
        if (special == u"100 MB"_s)
            QCOMPARE(::truncate(path.constData(), 100 << 20), 0);
        if (special == u"mode 0"_s)
            QCOMPARE(::chmod(path.constData(), 0), 0);
        struct stat before;
        QCOMPARE(::lstat(path.constData(), &before), 0);

        auto store = openStore(libraryPath());
        QCOMPARE(store->library().palettes.size(), 1);
        store->library().record(gray(0.25));
        store->commit();
        QVERIFY2(!m_log->lines.isEmpty() && m_log->lines[0].contains(problem),
                 qPrintable(m_log->lines.join(u'\n')));
        if (special.isEmpty()) {
            // Kept byte for byte under another name; the next change writes a fresh file.
            QCOMPARE(readAll(folder() + u"/library.corrupt-20240131-235959.json"_s), content);
            QVERIFY(store->isSaving());
            QCOMPARE(LibraryStore::decode(readAll(libraryPath()))->history.size(), 1);
            return;
        }
        // Anything else is not touched at all: same kind, same inode, same size.
        QVERIFY(store->saveDisabled());
        QVERIFY(!store->isSaving());
        struct stat after;
        QCOMPARE(::lstat(path.constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_size, before.st_size);
        QCOMPARE(entries(folder()), QStringList{u"library.json"_s});
    }

private:
    QString folder() const { return m_dir->path() + u"/Chromet"_s; }
    QString libraryPath() const { return folder() + u"/library.json"_s; }
    std::unique_ptr<LibraryStore> openStore(const QString &path) {
        return std::make_unique<LibraryStore>(path, [] { return stampTime(); });
    }

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::optional<ChrometLog> m_log;
    bool m_mounted = false;
};

namespace {
const QByteArray exactText = R"({
  "history": [],
  "palettes": [
    {
      "colors": [
        {
          "color": {
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
          },
          "id": "d3a1f2c4-5b6e-4f70-8a9b-0c1d2e3f4a5b",
          "name": "sky-700\/alt"
        }
      ],
      "id": "0b6f4c1e-9a53-4d2e-8f71-3c5d2a9e7b10",
      "name": "Brand\/Web \"v2\"\t\u0001\u001f\b\f\n\r\\ü🎨"
    }
  ]
}
)";
} // namespace

QTEST_GUILESS_MAIN(tst_LibraryStore)
#include "tst_LibraryStore.moc"
