// The library file against what the world does to it: a process killed in the middle of a save,
// a full or read-only file system, and files that are not libraries at all.

#include "Chromet/Library/LibraryStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QStringList *capturedLines = nullptr;
QtMessageHandler previousHandler = nullptr;

void captureChrometLines(QtMsgType type, const QMessageLogContext &context,
                         const QString &message) {
    if (capturedLines && qstrcmp(context.category, "chromet") == 0)
        capturedLines->append(message);
    else if (previousHandler)
        previousHandler(type, context, message);
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray sha1(const QByteArray &bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
}

PickedColor gray(double value) {
    return PickedColor{{value, value, value}, {value, value, value}};
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

bool remount(const QString &folder, unsigned long flags) {
    return ::mount(nullptr, QFile::encodeName(folder).constData(), nullptr, MS_REMOUNT | flags,
                   "size=64k") == 0;
}

} // namespace

class tst_LibraryDurability : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_lines.clear();
        capturedLines = &m_lines;
        previousHandler = qInstallMessageHandler(captureChrometLines);
    }
    void cleanup() {
        qInstallMessageHandler(previousHandler);
        capturedLines = nullptr;
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir->path()).constData(), MNT_DETACH);
        m_mounted = false;
        m_dir.reset();
    }

    void killedDuringCommitsLeavesACommittedLibrary() {
        const int kills = qEnvironmentVariableIntValue("CHROMET_KILLS") > 0
                              ? qEnvironmentVariableIntValue("CHROMET_KILLS")
                              : 300;
        QRandomGenerator random(QRandomGenerator::global()->generate());
        // On a tmpfs where allowed: a kill stops the process the same way, and no fsync waits for a
        // disk, so hundreds of rounds take seconds.
        m_mounted = mountTmpfs(m_dir->path(), "size=16m");
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
            const LibraryStore store(libraryPath());
            QVERIFY2(m_lines.isEmpty(), qPrintable(m_lines.join(u'\n')));
            QCOMPARE(store.library(), *LibraryStore::decode(bytes));
            const QStringList left = QDir(m_dir->path())
                                         .entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                    QDir::NoDotAndDotDot);
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
        if (!mountTmpfs(m_dir->path(), "size=64k"))
            QSKIP("mounting a small tmpfs is not allowed here (needs root or CAP_SYS_ADMIN)");
        m_mounted = true;
        LibraryStore store(libraryPath());
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
            QVERIFY(remount(m_dir->path(), MS_RDONLY));
        store.commit();
        QVERIFY(!store.isSaving());
        QCOMPARE(m_lines.size(), 1);
        QVERIFY2(m_lines[0].startsWith(QLatin1String("Chromet: failed to save library: ")),
                 qPrintable(m_lines[0]));
        QCOMPARE(readAll(libraryPath()), before);
        QCOMPARE(store.library(), wanted);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"library.json"_s});

        // Once there is room again, the next change saves everything.
        if (readOnly)
            QVERIFY(remount(m_dir->path(), 0));
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
        if (special == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        else if (special == QLatin1String("/dev/zero"))
            QVERIFY(QFile::link(special, libraryPath()));
        else
            QVERIFY(writeAll(libraryPath(), content));
        if (special == QLatin1String("100 MB"))
            QCOMPARE(::truncate(path.constData(), 100 << 20), 0);
        struct stat before;
        QCOMPARE(::lstat(path.constData(), &before), 0);

        LibraryStore store(libraryPath());
        store.library().record(gray(0.25));
        store.commit();
        if (problem.isEmpty()) {
            QVERIFY(m_lines.isEmpty());
            QCOMPARE(store.library().history.size(), 2);
            return;
        }
        QVERIFY2(!m_lines.isEmpty() && m_lines[0].contains(problem),
                 qPrintable(m_lines.join(u'\n')));
        if (special.isEmpty()) {
            // A file that reads but is no library is kept, byte for byte, under another name.
            const QStringList kept = QDir(m_dir->path()).entryList({u"library.corrupt-*.json"_s});
            QCOMPARE(kept.size(), 1);
            QCOMPARE(readAll(m_dir->filePath(kept[0])), content);
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
        QCOMPARE(
            QDir(m_dir->path())
                .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{u"library.json"_s});
    }

private:
    QString libraryPath() const { return m_dir->filePath(u"library.json"_s); }

    std::unique_ptr<QTemporaryDir> m_dir;
    bool m_mounted = false;
    QStringList m_lines;
};

QTEST_GUILESS_MAIN(tst_LibraryDurability)
#include "tst_LibraryDurability.moc"
