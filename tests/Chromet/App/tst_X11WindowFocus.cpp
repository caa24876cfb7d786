#include "Chromet/App/X11/X11WindowFocus.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

// Another client with a window of its own, as another application would have.
class OtherClient {
public:
    OtherClient() {
        m_c = xcb_connect(nullptr, nullptr);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
    }
    ~OtherClient() { xcb_disconnect(m_c); }

    xcb_window_t createWindow(bool map) {
        const xcb_window_t w = xcb_generate_id(m_c);
        const uint32_t values[] = {1};
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, w, m_root, 10, 10, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                          XCB_CW_OVERRIDE_REDIRECT, values);
        if (map)
            xcb_map_window(m_c, w);
        sync();
        return w;
    }
    void destroy(xcb_window_t w) {
        xcb_destroy_window(m_c, w);
        sync();
    }
    void focus(xcb_window_t w) {
        xcb_set_input_focus(m_c, XCB_INPUT_FOCUS_POINTER_ROOT, w, XCB_CURRENT_TIME);
        sync();
    }
    xcb_window_t focused() {
        xcb_get_input_focus_reply_t *reply =
            xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr);
        const xcb_window_t w = reply ? reply->focus : XCB_NONE;
        std::free(reply);
        return w;
    }
    // A window manager's check window that names a window which does not exist (it has gone).
    void setStaleWindowManagerCheck(xcb_window_t gone) {
        const char name[] = "_NET_SUPPORTING_WM_CHECK";
        xcb_intern_atom_reply_t *atom =
            xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, sizeof name - 1, name), nullptr);
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_root, atom->atom, XCB_ATOM_WINDOW, 32, 1,
                            &gone);
        std::free(atom);
        sync();
    }
    xcb_window_t root() const { return m_root; }

private:
    void sync() { std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr)); }

    xcb_connection_t *m_c = nullptr;
    xcb_window_t m_root = 0;
};

} // namespace

class tst_X11WindowFocus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(X11WindowFocus::create()); }
    void activeWindowIsTheInputFocus();
    void noWindowWhenTheFocusIsOnTheRoot();
    void activateGivesTheFocusBack();
    void windowThatHasGoneIsLeftAlone();
    void staleWindowManagerCheckCountsAsNone();
};

void tst_X11WindowFocus::activeWindowIsTheInputFocus() {
    OtherClient other;
    const xcb_window_t w = other.createWindow(true);
    other.focus(w);
    const auto focus = X11WindowFocus::create();
    QCOMPARE(focus->activeWindow(), std::optional<WId>(w));
}

void tst_X11WindowFocus::noWindowWhenTheFocusIsOnTheRoot() {
    OtherClient other;
    other.focus(XCB_INPUT_FOCUS_POINTER_ROOT);
    QCOMPARE(X11WindowFocus::create()->activeWindow(), std::nullopt);
    other.focus(other.root());
    QCOMPARE(X11WindowFocus::create()->activeWindow(), std::nullopt);
}

void tst_X11WindowFocus::activateGivesTheFocusBack() {
    OtherClient other;
    const xcb_window_t editor = other.createWindow(true);
    const xcb_window_t elsewhere = other.createWindow(true);
    other.focus(elsewhere);
    X11WindowFocus::create()->activate(editor);
    QTRY_COMPARE(other.focused(), editor);
}

void tst_X11WindowFocus::windowThatHasGoneIsLeftAlone() {
    OtherClient other;
    const xcb_window_t kept = other.createWindow(true);
    const xcb_window_t gone = other.createWindow(true);
    const xcb_window_t hidden = other.createWindow(false);
    other.focus(kept);
    other.destroy(gone);
    const auto focus = X11WindowFocus::create();
    focus->activate(gone);
    focus->activate(hidden);
    QCOMPARE(focus->activeWindow(), std::optional<WId>(kept));
    QCOMPARE(other.focused(), kept);
}

void tst_X11WindowFocus::staleWindowManagerCheckCountsAsNone() {
    OtherClient other;
    const xcb_window_t gone = other.createWindow(false);
    other.destroy(gone);
    other.setStaleWindowManagerCheck(gone);
    const xcb_window_t editor = other.createWindow(true);
    const xcb_window_t elsewhere = other.createWindow(true);
    other.focus(elsewhere);
    // No window manager would act on a request, so the focus is set directly.
    const auto focus = X11WindowFocus::create();
    QCOMPARE(focus->activeWindow(), std::optional<WId>(elsewhere));
    focus->activate(editor);
    QTRY_COMPARE(other.focused(), editor);
}

CHROMET_X11_TEST_MAIN(tst_X11WindowFocus)
#include "tst_X11WindowFocus.moc"
