#include "Chromet/Picking/X11/X11PermissionChecker.h"

#include <QGuiApplication>
#include <QTest>

using namespace Qt::StringLiterals;

// Without an X connection (here the offscreen platform) the screen cannot be read.
class tst_X11PermissionCheckerWithoutX : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void notGranted() {
        QCOMPARE(QGuiApplication::platformName(), u"offscreen"_s);
        X11PermissionChecker permission;
        QVERIFY(!permission.isGranted());
        permission.request();
        permission.openSettings();
        QVERIFY(!permission.isGranted());
    }
};

QTEST_MAIN(tst_X11PermissionCheckerWithoutX)
#include "tst_X11PermissionCheckerWithoutX.moc"
