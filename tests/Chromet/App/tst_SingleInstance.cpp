#include "Chromet/App/SingleInstance.h"
#include "Chromet/App/TrayArguments.h"
#include "Support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using Result = SingleInstance::Result;

class tst_SingleInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lockPathPerDisplay_data() {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("file");
        QTest::newRow("local") << u":0"_s << u"chromet-_0.lock"_s;
        QTest::newRow("screen number left out") << u":0.1"_s << u"chromet-_0.lock"_s;
        QTest::newRow("remote host") << u"host:0"_s << u"chromet-host_0.lock"_s;
        QTest::newRow("no display") << QString() << u"chromet-none.lock"_s;
        QTest::newRow("path characters") << u"../x:1"_s << u"chromet-.._x_1.lock"_s;
    }
    void lockPathPerDisplay() {
        QFETCH(QString, display);
        QFETCH(QString, file);
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        QCOMPARE(SingleInstance::defaultLockPath(display), QDir(runtime.path()).filePath(file));
    }
    // Held by one living instance at a time: its end, or its crash, frees the lock.
    void lockIsHeldByOneLivingInstance() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"chromet-_0.lock"_s);
        {
            SingleInstance first(path);
            QCOMPARE(first.acquire(), Result::Acquired);
            QCOMPARE(SingleInstance(path).acquire(), Result::AlreadyRunning);
        }
        QCOMPARE(SingleInstance(path).acquire(), Result::Acquired);
        // What a crashed instance leaves: its pid (no longer running), host and application name.
        QVERIFY(
            writeAll(path, "2147483646\nchromet\n" + QSysInfo::machineHostName().toUtf8() + "\n"));
        QCOMPARE(SingleInstance(path).acquire(), Result::Acquired);
    }
    // A folder where the lock file belongs stops root as well; the application runs all the same.
    void lockThatCannotBeMadeLetsTheApplicationRun() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"chromet-_0.lock"_s);
        QVERIFY(QDir().mkpath(path));
        SingleInstance instance(path);
        QCOMPARE(instance.acquire(), Result::Unavailable);
        QVERIFY(!instance.errorString().isEmpty());
        QCOMPARE(SingleInstance(QString()).acquire(), Result::Unavailable);
    }
    // A link planted where the lock goes is never written through, whether it points at a file
    // or at nothing yet.
    void plantedLinkIsNotWrittenThrough_data() {
        QTest::addColumn<bool>("targetExists");
        QTest::newRow("existing file") << true;
        QTest::newRow("dangling") << false;
    }
    void plantedLinkIsNotWrittenThrough() {
        QFETCH(bool, targetExists);
        QTemporaryDir dir;
        const QString victim = dir.filePath(u"victim"_s);
        if (targetExists)
            QVERIFY(writeAll(victim, "precious"));
        const QString lock = dir.filePath(u"chromet.lock"_s);
        QVERIFY(QFile::link(victim, lock));
        SingleInstance(lock).acquire();
        QCOMPARE(QFile::exists(victim), targetExists);
        QCOMPARE(readAll(victim), targetExists ? QByteArray("precious") : QByteArray());
    }
    void route_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("tray");
        QTest::newRow("none") << QStringList{} << true;
        QTest::newRow("restored session") << QStringList{"-session", "10d4f3e"} << true;
        QTest::newRow("value after =") << QStringList{"-style=fusion"} << true;
        QTest::newRow("command") << QStringList{"format", "#336699"} << false;
        QTest::newRow("two dashes are ours") << QStringList{"--version"} << false;
        QTest::newRow("help") << QStringList{"-h"} << false;
        QTest::newRow("unknown option") << QStringList{"-sessions"} << false;
        QTest::newRow("command named like an option") << QStringList{"session"} << false;
    }
    void route() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, tray);
        QCOMPARE(startsTrayApplication(arguments), tray);
    }
};

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_SingleInstance.moc"
