#include "Chromet/Library/LibraryStore.h"
#include "Support/TestFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <csignal>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

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

QByteArray sha1(const QByteArray &bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}

// Changes the library at random the ways the menu and picks do; announces on `fd` the hash of
// each library before committing it, and never returns.
[[noreturn]] void commitForever(const QString &path, int fd) {
    LibraryStore store(path);
    QRandomGenerator random(quint32(::getpid()));
    for (;;) {
        Library &library = store.library();
        const PickedColor color = gray(random.bounded(256) / 255.0);
        switch (random.bounded(4)) {
        case 0:
            library.record(color);
            break;
        case 1:
            if (!library.palettes.isEmpty())
                library.pin(color, library.palettes[random.bounded(library.palettes.size())].id);
            break;
        case 2:
            if (library.palettes.size() > 4)
                library.deletePalette(library.palettes.first().id);
            else
                library.addPalette(u"Palette \"%1\" /é"_s.arg(random.generate()));
            break;
        default:
            if (!library.palettes.isEmpty())
                library.renamePalette(library.palettes.last().id,
                                      QString::number(random.generate()));
        }
        const QByteArray hash = sha1(*LibraryStore::encode(library));
        if (::write(fd, hash.constData(), hash.size()) != hash.size())
            ::_exit(1);
        store.commit();
    }
}

// A small tmpfs over `folder`, so the test controls how full and how writable it is; for root
// as well. False when mounting is not allowed here.
bool mountTmpfs(const QString &folder, const char *options) {
    return ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options) == 0;
}

// A device that reads zeros, to plant a link to. A store that wrote through the link as root would
// replace the system's /dev/zero, so root links to a node of its own; empty when it cannot make
// one that opens.
QString zeroDevice(const QString &folder) {
    if (::geteuid() != 0)
        return u"/dev/zero"_s;
    const QString node = folder + u"/zero"_s;
    const QByteArray path = QFile::encodeName(node);
    if (::mknod(path.constData(), S_IFCHR | 0600, makedev(1, 5)) != 0)
        return {};
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return {};
    ::close(fd);
    return node;
}

bool remount(const QString &folder, unsigned long flags) {
    return ::mount(nullptr, QFile::encodeName(folder).constData(), nullptr, MS_REMOUNT | flags,
                   "size=64k") == 0;
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

    void defaultPathHonoursXdgDataHome() {
        QCOMPARE(LibraryStore::defaultPath(), m_home.path() + u"/Chromet/library.json"_s);
    }
    void missingFolderStartsDefaultAndSavesOnFirstChange() {
        const QString path = m_dir->path() + u"/a/b/Chromet/library.json"_s;
        auto store = openStore(path);
        QVERIFY(store->isSaving());
        QCOMPARE(store->library().palettes.size(), 1);
        QVERIFY(!QFileInfo::exists(m_dir->path() + u"/a"_s));
        QVERIFY(m_log->lines.isEmpty());

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
        QVERIFY(m_log->lines.isEmpty());

        QCOMPARE(LibraryStore::decode(readAll(path))->history, QList<PickedColor>{gray(0.5)});
        QCOMPARE(entries(QFileInfo(path).path()), QStringList{u"library.json"_s});
    }
    void corruptFileIsMovedAside_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("error");

        QTest::newRow("truncated")
            << QByteArray("{\"history\": [], \"palettes\": [") << u"JSON parse error at offset "_s;
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
        QCOMPARE(m_log->lines.size(), 1);
        // Parse errors carry Qt's own wording and offset; check those up to the wording.
        const QString expected =
            u"Chromet: library is corrupt, moved aside to "_s + backupName + ": " + error;
        if (error.endsWith(u"offset "_s))
            QVERIFY2(m_log->lines[0].startsWith(expected), qPrintable(m_log->lines[0]));
        else
            QCOMPARE(m_log->lines[0], expected);
        QVERIFY(!QFileInfo::exists(libraryPath()));
        QCOMPARE(readAll(folder() + QLatin1Char('/') + backupName), content);
        QVERIFY(store->isSaving());
        QCOMPARE(store->library().palettes.size(), 1);

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
            QVERIFY(m_log->lines.last().contains(QFileInfo(expected).fileName() + u": "_s));
        }
        QCOMPARE(readAll(base + u".json"_s), QByteArray("corrupt 1"));
        QCOMPARE(readAll(base + u"-2.json"_s), QByteArray("corrupt 2"));

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
        QCOMPARE(QFileInfo(obstacle).isDir(), !folderIsAFile);

        QVERIFY(folderIsAFile ? QFile::remove(obstacle) : QDir().rmdir(obstacle));
        store->library().record(gray(0.2));
        store->commit();
        QVERIFY(store->isSaving());
        QCOMPARE(LibraryStore::decode(readAll(libraryPath()))->history,
                 (QList<PickedColor>{gray(0.2), gray(0.1)}));
        QCOMPARE(entries(folder()), QStringList{u"library.json"_s});
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
        QCOMPARE(m_log->lines,
                 QStringList{QStringLiteral(
                     "Chromet: failed to save library: history[0]: a channel is not a "
                     "finite number")});
        QCOMPARE(readAll(libraryPath()), before);
        store->library().clearHistory();
        QVERIFY(store->save());
    }
    void noLocationKeepsLibraryInMemory() {
        LibraryStore store{QString()};
        QVERIFY(!store.saveDisabled());
        QCOMPARE(m_log->lines.size(), 1);
        store.library().record(gray(0.5));
        store.commit();
        QVERIFY(!store.isSaving());
        QCOMPARE(m_log->lines.last(),
                 u"Chromet: failed to save library: no location for the library file"_s);
        QCOMPARE(store.library().history.size(), 1);
        QVERIFY(entries(m_dir->path()).isEmpty());
    }

    void killedDuringCommitsLeavesACommittedLibrary() {
        const int kills = qEnvironmentVariableIntValue("CHROMET_KILLS") > 0
                              ? qEnvironmentVariableIntValue("CHROMET_KILLS")
                              : 300;
        QRandomGenerator random(QRandomGenerator::global()->generate());
        // On a tmpfs where allowed: a kill stops the process the same way, and no fsync waits for a
        // disk, so hundreds of rounds take seconds.
        QVERIFY(QDir().mkpath(folder()));
        m_mounted = mountTmpfs(folder(), "size=16m");
        LibraryStore(libraryPath()).commit();
        int commits = 0, beforeRename = 0;
        QByteArray onDisk = sha1(readAll(libraryPath())); // the file between rounds
        for (int round = 0; round < kills; ++round) {
            int fds[2];
            QCOMPARE(::pipe(fds), 0);
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::close(fds[0]);
                commitForever(libraryPath(), fds[1]);
            }
            ::close(fds[1]);
            QVERIFY(pid > 0);
            // Once it has loaded and is about to commit, anywhere within the next few commits.
            char first[20];
            QCOMPARE(::read(fds[0], first, sizeof first), qsizetype(sizeof first));
            ::usleep(random.bounded(2000));
            ::kill(pid, SIGKILL);
            int status = 0;
            ::waitpid(pid, &status, 0);
            QVERIFY(WIFSIGNALED(status));

            // On disk: the library committed last, or the one being committed when it died.
            QList<QByteArray> announced{onDisk, QByteArray(first, sizeof first)};
            char hash[20];
            while (::read(fds[0], hash, sizeof hash) == qsizetype(sizeof hash))
                announced.append(QByteArray(hash, sizeof hash));
            ::close(fds[0]);
            const QByteArray bytes = readAll(libraryPath());
            onDisk = sha1(bytes);
            commits += int(announced.size()) - 2;
            beforeRename += announced.last() != onDisk;
            QVERIFY2(announced.mid(announced.size() - 2).contains(onDisk),
                     qPrintable(u"round %1 of %2 commits"_s.arg(round).arg(announced.size() - 1)));

            // The next start takes it as it is and leaves nothing else behind.
            const LibraryStore store(libraryPath(), [] { return stampTime(); });
            QVERIFY2(m_log->lines.isEmpty(), qPrintable(m_log->lines.join(u'\n')));
            QCOMPARE(store.library(), *LibraryStore::decode(bytes));
            const QStringList left = QDir(folder()).entryList(QDir::AllEntries | QDir::Hidden |
                                                              QDir::System | QDir::NoDotAndDotDot);
            QVERIFY2(left == QStringList{u"library.json"_s}, qPrintable(left.join(u' ')));
        }
        qInfo("%d kills over %d commits, %d of them before the rename", kills, commits,
              beforeRename);
    }
    void failedSaveKeepsFileAndMemory_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("full disk") << false;
        QTest::newRow("read-only file system") << true;
    }
    void failedSaveKeepsFileAndMemory() {
        QFETCH(bool, readOnly);
        QVERIFY(QDir().mkpath(folder()));
        if (!mountTmpfs(folder(), "size=64k"))
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
            QVERIFY(remount(folder(), MS_RDONLY));
        store.commit();
        QVERIFY(!store.isSaving());
        QCOMPARE(m_log->lines.size(), 1);
        QVERIFY2(m_log->lines[0].startsWith(QLatin1String("Chromet: failed to save library: ")),
                 qPrintable(m_log->lines[0]));
        QCOMPARE(readAll(libraryPath()), before);
        QCOMPARE(store.library(), wanted);
        QCOMPARE(QDir(folder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"library.json"_s});

        // Once there is room again, the next change saves everything.
        if (readOnly)
            QVERIFY(remount(folder(), 0));
        else
            store.library().palettes.last().colors.resize(10);
        store.commit();
        QVERIFY(store.isSaving());
        QCOMPARE(*LibraryStore::decode(readAll(libraryPath())), store.library());
    }
    void hostileFileIsNeverOverwritten_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("special");
        QTest::addColumn<QString>("problem"); // empty: loads

        const QByteArray red =
            R"({"srgb": {"r": 1, "g": 0, "b": 0}, "p3": {"r": 1, "g": 0, "b": 0}})";
        const auto row = [](const char *name, const QByteArray &content, const char *special,
                            const char *problem) {
            QTest::newRow(name) << content << QString::fromUtf8(special)
                                << QString::fromUtf8(problem);
        };
        row("directory", {}, "directory", "Is a directory");
        row("link to an unmounted drive", {}, "dangling", "failed to read library");
        row("no read permission", "{}", "mode 0", "Permission denied");
        row("FIFO", {}, "fifo", "not a regular file");
        row("link to /dev/zero", {}, "/dev/zero", "not a regular file");
        row("100 MB", {}, "100 MB", "too large");
        row("nested 10,000 deep", QByteArray(10000, '[') + QByteArray(10000, ']'), "",
            "too deeply nested");
        row("invalid UTF-8", "{\"history\": [], \"palettes\": [{\"name\": \"\xc3\x28\xff\"}]}", "",
            "invalid UTF8");
        row("huge number", "{\"history\": [{\"srgb\": {\"r\": 1e400}}], \"palettes\": []}", "",
            "illegal number");
        row("NaN", "{\"history\": [{\"srgb\": {\"r\": NaN}}], \"palettes\": []}", "",
            "illegal number");
        row("duplicate keys, the last wins",
            QByteArray("{\"history\": [], \"palettes\": [], \"history\": [") + red + "]}", "", "");
    }
    void hostileFileIsNeverOverwritten() {
        QFETCH(QByteArray, content);
        QFETCH(QString, special);
        QFETCH(QString, problem);
        const QByteArray path = QFile::encodeName(libraryPath());
        QVERIFY(QDir().mkpath(folder()));
        if (special == QLatin1String("mode 0") && ::geteuid() == 0)
            QSKIP("permission bits do not stop root");
        if (special == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        else if (special == QLatin1String("directory"))
            QVERIFY(QDir().mkpath(libraryPath()));
        else if (special == QLatin1String("dangling"))
            QVERIFY(QFile::link(m_dir->path() + u"/unmounted/library.json"_s, libraryPath()));
        else if (special == QLatin1String("/dev/zero")) {
            const QString device = zeroDevice(m_dir->path());
            if (device.isEmpty())
                QSKIP("no device node can be made here, and root must not link to /dev/zero");
            QVERIFY(QFile::link(device, libraryPath()));
        } else
            QVERIFY(writeAll(libraryPath(), content));
        if (special == QLatin1String("100 MB"))
            QCOMPARE(::truncate(path.constData(), 100 << 20), 0);
        if (special == QLatin1String("mode 0"))
            QCOMPARE(::chmod(path.constData(), 0), 0);
        struct stat before;
        QCOMPARE(::lstat(path.constData(), &before), 0);

        LibraryStore store(libraryPath(), [] { return stampTime(); });
        store.library().record(gray(0.25));
        store.commit();
        if (problem.isEmpty()) {
            QVERIFY(m_log->lines.isEmpty());
            QCOMPARE(store.library().history.size(), 2);
            return;
        }
        QVERIFY2(!m_log->lines.isEmpty() && m_log->lines[0].contains(problem),
                 qPrintable(m_log->lines.join(u'\n')));
        if (special.isEmpty()) {
            // A file that reads but is no library is kept, byte for byte, under another name.
            const QStringList kept = QDir(folder()).entryList({u"library.corrupt-*.json"_s});
            QCOMPARE(kept.size(), 1);
            QCOMPARE(readAll(folder() + u"/"_s + kept[0]), content);
            QVERIFY(store.isSaving());
            return;
        }
        // Anything else is not touched at all: same kind, same inode, same size.
        QVERIFY(store.saveDisabled());
        struct stat after;
        QCOMPARE(::lstat(path.constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_size, before.st_size);
        QCOMPARE(QDir(folder()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                          QDir::NoDotAndDotDot),
                 QStringList{u"library.json"_s});
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
