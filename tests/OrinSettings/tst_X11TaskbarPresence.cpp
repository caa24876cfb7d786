#include "OrinSettings/DockIcon.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};

xcb_atom_t intern(xcb_connection_t *connection, const char *name) {
    std::unique_ptr<xcb_intern_atom_reply_t, FreeDeleter> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, false, quint16(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// A connection of its own, as a window manager or a taskbar would read the windows.
class Observer {
public:
    Observer()
        : m_connection(xcb_connect(nullptr, nullptr)) {
        state = intern(m_connection, "_NET_WM_STATE");
        skipTaskbar = intern(m_connection, "_NET_WM_STATE_SKIP_TASKBAR");
        skipPager = intern(m_connection, "_NET_WM_STATE_SKIP_PAGER");
        above = intern(m_connection, "_NET_WM_STATE_ABOVE");
        // Hear the state requests sent to the root window, as a window manager does.
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        const quint32 mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, screen->root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }
    ~Observer() { xcb_disconnect(m_connection); }

    QList<xcb_atom_t> states(xcb_window_t window) const {
        QList<xcb_atom_t> atoms;
        std::unique_ptr<xcb_get_property_reply_t, FreeDeleter> reply(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, false, window, state, XCB_ATOM_ATOM, 0, 64), nullptr));
        if (reply && reply->format == 32) {
            const auto *values =
                static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
            for (int i = 0; i < xcb_get_property_value_length(reply.get()) / 4; ++i)
                atoms.append(values[i]);
        }
        return atoms;
    }

    // The _NET_WM_STATE requests received so far: (window, action, first atom, second atom).
    QList<std::array<quint32, 4>> takeRequests() {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto *message = reinterpret_cast<xcb_client_message_event_t *>(event);
                if (message->type == state)
                    m_requests.append({message->window, message->data.data32[0],
                                       message->data.data32[1], message->data.data32[2]});
            }
            std::free(event);
        }
        const auto requests = m_requests;
        m_requests.clear();
        return requests;
    }

    xcb_atom_t state = 0;
    xcb_atom_t skipTaskbar = 0;
    xcb_atom_t skipPager = 0;
    xcb_atom_t above = 0;

private:
    xcb_connection_t *m_connection = nullptr;
    QList<std::array<quint32, 4>> m_requests;
};

} // namespace

// The accessory policy keeps the application's windows out of taskbars and pagers on a real X
// server; switching back asks the window manager to list them again.
class tst_X11TaskbarPresence : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void accessoryWindowsCarryTheSkipStates() {
        Observer observer;
        DockIcon::apply(false);
        QWidget window;
        window.setWindowTitle(u"accessory"_s);
        window.resize(200, 100);
        window.setWindowFlag(Qt::WindowStaysOnTopHint); // a state Qt writes itself on mapping
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto id = xcb_window_t(window.winId());
        QTRY_VERIFY(observer.states(id).contains(observer.skipTaskbar));
        const QList<xcb_atom_t> states = observer.states(id);
        QVERIFY(states.contains(observer.skipPager));
        // Qt's own state survives next to ours, and ours next to it.
        QVERIFY(states.contains(observer.above));
    }
    void switchingAMappedWindowAsksTheWindowManager() {
        Observer observer;
        DockIcon::apply(false);
        QWidget window;
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        observer.takeRequests();

        DockIcon::apply(true);
        const auto id = quint32(window.winId());
        QList<std::array<quint32, 4>> requests;
        QTRY_VERIFY((requests += observer.takeRequests(), !requests.isEmpty()));
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first()[0], id);
        QCOMPARE(requests.first()[1], 0u); // remove
        QCOMPARE(requests.first()[2], observer.skipTaskbar);
        QCOMPARE(requests.first()[3], observer.skipPager);

        DockIcon::apply(false);
        requests.clear();
        QTRY_VERIFY((requests += observer.takeRequests(), !requests.isEmpty()));
        QCOMPARE(requests.first()[1], 1u); // add
    }
    void regularWindowsAreListed() {
        Observer observer;
        DockIcon::apply(false);
        QWidget earlier;
        earlier.show();
        QVERIFY(QTest::qWaitForWindowExposed(&earlier));
        earlier.hide();

        DockIcon::apply(true);
        QWidget window;
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!observer.states(xcb_window_t(window.winId())).contains(observer.skipTaskbar));
        // Shown again under the regular policy, the earlier window is listed too.
        earlier.show();
        QVERIFY(QTest::qWaitForWindowExposed(&earlier));
        QVERIFY(!observer.states(xcb_window_t(earlier.winId())).contains(observer.skipTaskbar));
    }
};

CHROMET_X11_TEST_MAIN(tst_X11TaskbarPresence)
#include "tst_X11TaskbarPresence.moc"
