#include "Chromet/Picking/X11/X11PermissionChecker.h"

#include <QGuiApplication>
#include <QTest>

// Without an X connection (here the offscreen platform) the screen cannot be read.
class tst_X11PermissionCheckerWithoutX : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void notGranted();
};

void tst_X11PermissionCheckerWithoutX::notGranted() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    X11PermissionChecker permission;
    QVERIFY(!permission.isGranted());
    permission.request();
    permission.openSettings();
    QVERIFY(!permission.isGranted());
}

QTEST_MAIN(tst_X11PermissionCheckerWithoutX)
#include "tst_X11PermissionCheckerWithoutX.moc"
