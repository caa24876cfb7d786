#include "OrinPanel/FloatingPanelController.h"
#include "OrinSettings/DockIcon.h"
#include "OrinTheme/WindowEffects.h"

#include "Support/RunProgram.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray xprop(QWidget *window, const QString &name) {
    return runProgram(u"xprop"_s, {u"-id"_s, QString::number(window->winId()), name});
}

} // namespace

// The panel on a real X server: window type and state, placement on the real screen, keys
// typed through the server.
class tst_X11FloatingPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qunsetenv("ORIN_COMPOSITOR"); }
    void cleanup() { WindowEffects::setCompositorOverride(std::nullopt); }
    void windowProperties() {
        // Xvfb runs no compositor: an opaque panel of the content's size.
        // Listed in the taskbar as a regular application: the panel stays out of it all the same.
        DockIcon::setActivationPolicy(ActivationPolicy::regular);
        FloatingPanelController controller(new QWidget, QSize(360, 220));
        xdotool({u"mousemove"_s, u"100"_s, u"100"_s});
        controller.show();
        QVERIFY(QTest::qWaitForWindowExposed(controller.panel()));

        const QRect visible = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(
            controller.panel()->geometry(),
            FloatingPanelController::defaultFrame(QSize(360, 220), {QString(), visible, visible}));
        QVERIFY(xprop(controller.panel(), "_NET_WM_WINDOW_TYPE").contains("UTILITY"));
        // On top, and out of taskbars and pagers; Qt's own states and ours together.
        const QByteArray states = xprop(controller.panel(), "_NET_WM_STATE");
        QVERIFY2(states.contains("_NET_WM_STATE_ABOVE"), states.constData());
        QVERIFY2(states.contains("_NET_WM_STATE_SKIP_TASKBAR"), states.constData());
        QVERIFY2(states.contains("_NET_WM_STATE_SKIP_PAGER"), states.constData());
        QVERIFY(xprop(controller.panel(), "_NET_WM_DESKTOP").contains("4294967295"));
        // The window manager keeps its shadow: no frame extents claimed.
        QVERIFY(!xprop(controller.panel(), "_GTK_FRAME_EXTENTS").contains("="));

        // With a compositor the panel claims the margin for its own shadow.
        WindowEffects::setCompositorOverride(true);
        FloatingPanelController glass(new QWidget, QSize(360, 220));
        glass.show();
        QVERIFY(QTest::qWaitForWindowExposed(glass.panel()));
        QVERIFY(xprop(glass.panel(), "_GTK_FRAME_EXTENTS").contains("28, 28, 28, 28"));
        QVERIFY(xprop(glass.panel(), "_COMPTON_SHADOW").contains("= 0"));
    }
    void clickElsewhere_data() {
        QTest::addColumn<bool>("hides");
        QTest::newRow("hides on resign key") << true;
        QTest::newRow("stays") << false;
    }
    void clickElsewhere() {
        QFETCH(bool, hides);
        FloatingPanelController controller(new QWidget, QSize(360, 220));
        controller.setHidesOnResignKey(hides);
        int didHide = 0;
        controller.setOnDidHide([&] { ++didHide; });
        controller.show();
        QVERIFY(QTest::qWaitForWindowActive(controller.panel()));

        QWidget other;
        other.setGeometry(20, 20, 200, 150);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        // Without a window manager a click would not move the focus; the other window takes it.
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTRY_COMPARE(controller.isVisible(), !hides);
        QCOMPARE(didHide, hides ? 1 : 0);
    }
};

CHROMET_X11_TEST_MAIN(tst_X11FloatingPanel)
#include "tst_X11FloatingPanel.moc"
