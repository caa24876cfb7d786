#include "Chromet/App/SingleInstance.h"
#include "Chromet/App/TrayArguments.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

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
    void secondHolderIsTurnedAway() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"chromet-_0.lock"_s);
        {
            SingleInstance first(path);
            QCOMPARE(first.acquire(), SingleInstance::Result::Acquired);
            SingleInstance second(path);
            QCOMPARE(second.acquire(), SingleInstance::Result::AlreadyRunning);
        }
        // The first one's end frees the lock.
        SingleInstance third(path);
        QCOMPARE(third.acquire(), SingleInstance::Result::Acquired);
    }
    void lockOfAProcessThatHasGoneIsTakenOver() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"chromet-_0.lock"_s);
        // What a crashed instance leaves: its pid (no longer running), host and application name.
        QFile stale(path);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("2147483646\nchromet\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        stale.close();
        SingleInstance instance(path);
        QCOMPARE(instance.acquire(), SingleInstance::Result::Acquired);
    }
    void lockThatCannotBeMadeLetsTheApplicationRun() {
        QTemporaryDir dir;
        // A folder where the lock file belongs stops root as well.
        const QString path = dir.filePath(u"chromet-_0.lock"_s);
        QVERIFY(QDir().mkpath(path));
        SingleInstance instance(path);
        QCOMPARE(instance.acquire(), SingleInstance::Result::Unavailable);
        QVERIFY(!instance.errorString().isEmpty());
        QVERIFY(SingleInstance(QString()).acquire() == SingleInstance::Result::Unavailable);
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
        if (targetExists) {
            QFile file(victim);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("precious");
        }
        const QString lock = dir.filePath(u"chromet.lock"_s);
        QVERIFY(QFile::link(victim, lock));
        SingleInstance instance(lock);
        instance.acquire();
        QFile file(victim);
        if (targetExists) {
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("precious"));
        } else {
            QVERIFY(!file.exists());
        }
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
