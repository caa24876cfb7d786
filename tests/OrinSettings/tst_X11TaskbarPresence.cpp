#include "OrinSettings/DockIcon.h"
#include "Support/OtherClient.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace {

// The window's _NET_WM_STATE, as a window manager or a taskbar reads it.
QList<xcb_atom_t> states(OtherClient &client, const QWidget &window) {
    return client.atoms(xcb_window_t(window.winId()), "_NET_WM_STATE");
}

} // namespace

// The accessory policy keeps the application's windows out of taskbars and pagers on a real X
// server; switching back asks the window manager to list them again.
class tst_X11TaskbarPresence : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Unmapped windows get the states in their property, next to the states Qt writes itself; a
    // mapped window's switch is asked of the window manager.
    void skipStatesFollowThePolicy() {
        OtherClient client;
        client.watchRoot();
        const xcb_atom_t skipTaskbar = client.atom("_NET_WM_STATE_SKIP_TASKBAR");
        const xcb_atom_t skipPager = client.atom("_NET_WM_STATE_SKIP_PAGER");
        const xcb_atom_t above = client.atom("_NET_WM_STATE_ABOVE");
        DockIcon::apply(false);
        QWidget window;
        window.resize(200, 100);
        window.setWindowFlag(Qt::WindowStaysOnTopHint);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(states(client, window).contains(skipTaskbar));
        QVERIFY(states(client, window).contains(skipPager));
        QVERIFY(states(client, window).contains(above));
        client.takeMessages("_NET_WM_STATE");

        DockIcon::apply(true);
        QList<xcb_client_message_event_t> requests;
        QTRY_VERIFY((requests += client.takeMessages("_NET_WM_STATE"), !requests.isEmpty()));
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().window, xcb_window_t(window.winId()));
        QCOMPARE(requests.first().data.data32[0], 0u); // remove
        QCOMPARE(requests.first().data.data32[1], skipTaskbar);
        QCOMPARE(requests.first().data.data32[2], skipPager);
        DockIcon::apply(false);
        requests.clear();
        QTRY_VERIFY((requests += client.takeMessages("_NET_WM_STATE"), !requests.isEmpty()));
        QCOMPARE(requests.first().data.data32[0], 1u); // add

        window.hide();
        DockIcon::apply(true);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!states(client, window).contains(skipTaskbar));
        QVERIFY(!states(client, window).contains(skipPager));
        QVERIFY(states(client, window).contains(above));
        QWidget later;
        later.show();
        QVERIFY(QTest::qWaitForWindowExposed(&later));
        QVERIFY(!states(client, later).contains(skipTaskbar));
    }
};

CHROMET_X11_TEST_MAIN(tst_X11TaskbarPresence)
#include "tst_X11TaskbarPresence.moc"
