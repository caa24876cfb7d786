#include "Chromet/App/TrayArguments.h"

#include <QTest>

class tst_TrayArguments : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void route_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("tray");
        QTest::newRow("none") << QStringList{} << true;
        QTest::newRow("restored session") << QStringList{"-session", "10d4f3e"} << true;
        QTest::newRow("value after =") << QStringList{"-style=fusion"} << true;
        QTest::newRow("platform") << QStringList{"-platform", "xcb"} << true;
        QTest::newRow("display and name") << QStringList{"-display", ":1", "-name", "x"} << true;
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

QTEST_GUILESS_MAIN(tst_TrayArguments)
#include "tst_TrayArguments.moc"
