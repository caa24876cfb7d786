#include "Chromet/Picking/X11/X11PermissionChecker.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// On a real X server the screen can be read, and asking changes nothing.
class tst_X11PermissionChecker : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void grantedOnX11() {
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
        const std::unique_ptr<PermissionChecker> permission =
            std::make_unique<X11PermissionChecker>();
        bool granted = false;
        permission->check([&granted](bool answer) { granted = answer; });
        QVERIFY(granted);
    }
    void requestAndOpenSettingsChangeNothing() {
        X11PermissionChecker permission;
        permission.request();
        permission.openSettings();
        QVERIFY(permission.isGranted());
    }
};

CHROMET_X11_TEST_MAIN(tst_X11PermissionChecker)
#include "tst_X11PermissionChecker.moc"
