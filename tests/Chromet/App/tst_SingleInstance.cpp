#include "Chromet/App/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_SingleInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lockPathPerDisplay_data();
    void lockPathPerDisplay();
    void secondHolderIsTurnedAway();
    void lockOfAProcessThatHasGoneIsTakenOver();
    void lockThatCannotBeMadeLetsTheApplicationRun();
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
        const QString victim = dir.filePath(QStringLiteral("victim"));
        if (targetExists) {
            QFile file(victim);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("precious");
        }
        const QString lock = dir.filePath(QStringLiteral("chromet.lock"));
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
};

void tst_SingleInstance::lockPathPerDisplay_data() {
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("file");
    QTest::newRow("local") << ":0"
                           << "chromet-_0.lock";
    QTest::newRow("screen number left out") << ":0.1"
                                            << "chromet-_0.lock";
    QTest::newRow("another display") << ":12"
                                     << "chromet-_12.lock";
    QTest::newRow("remote host") << "host:0"
                                 << "chromet-host_0.lock";
    QTest::newRow("no display") << ""
                                << "chromet-none.lock";
    QTest::newRow("path characters") << "../x:1"
                                     << "chromet-.._x_1.lock";
}

void tst_SingleInstance::lockPathPerDisplay() {
    QFETCH(QString, display);
    QFETCH(QString, file);
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QCOMPARE(SingleInstance::defaultLockPath(display), QDir(runtime.path()).filePath(file));
}

void tst_SingleInstance::secondHolderIsTurnedAway() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chromet-_0.lock"));
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

void tst_SingleInstance::lockOfAProcessThatHasGoneIsTakenOver() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chromet-_0.lock"));
    // What a crashed instance leaves: its pid (no longer running), host and application name.
    QFile stale(path);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("2147483646\nchromet\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();
    SingleInstance instance(path);
    QCOMPARE(instance.acquire(), SingleInstance::Result::Acquired);
}

void tst_SingleInstance::lockThatCannotBeMadeLetsTheApplicationRun() {
    QTemporaryDir dir;
    // A folder where the lock file belongs stops root as well.
    const QString path = dir.filePath(QStringLiteral("chromet-_0.lock"));
    QVERIFY(QDir().mkpath(path));
    SingleInstance instance(path);
    QCOMPARE(instance.acquire(), SingleInstance::Result::Unavailable);
    QVERIFY(!instance.errorString().isEmpty());
    QVERIFY(SingleInstance(QString()).acquire() == SingleInstance::Result::Unavailable);
}

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_SingleInstance.moc"
