#include "OrinTheme/GlassSurface.h"
#include "OrinTheme/MaterialView.h"
#include "OrinTheme/WindowEffects.h"

#include "Support/XServerSession.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

// A second client on the test's display, standing in for a compositing manager.
class OtherClient {
public:
    OtherClient() {
        m_c = xcb_connect(nullptr, &m_screen);
        const xcb_setup_t *setup = xcb_get_setup(m_c);
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
        for (int i = 0; i < m_screen; ++i)
            xcb_screen_next(&it);
        m_root = it.data->root;
        m_window = xcb_generate_id(m_c);
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, m_root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_flush(m_c);
    }
    ~OtherClient() { xcb_disconnect(m_c); }

    xcb_atom_t atom(const char *name) {
        XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            m_c, xcb_intern_atom(m_c, 0, quint16(strlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    void own(const char *selection, bool owning) {
        xcb_set_selection_owner(m_c, owning ? m_window : xcb_window_t(XCB_WINDOW_NONE),
                                atom(selection), XCB_CURRENT_TIME);
        XcbReply<xcb_get_input_focus_reply_t> sync(
            xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
    }
    // Announces (or withdraws) a compositor feature on the root window: as a property of its
    // own, or in _NET_SUPPORTED.
    void announce(const char *name, bool inSupported, bool on) {
        const xcb_atom_t feature = atom(name);
        if (inSupported) {
            if (on)
                xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_root, atom("_NET_SUPPORTED"),
                                    XCB_ATOM_ATOM, 32, 1, &feature);
            else
                xcb_delete_property(m_c, m_root, atom("_NET_SUPPORTED"));
        } else if (on) {
            xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_root, feature, feature, 8, 0,
                                nullptr);
        } else {
            xcb_delete_property(m_c, m_root, feature);
        }
        XcbReply<xcb_get_input_focus_reply_t> sync(
            xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
    }
    QVector<quint32> cardinals(quint32 window, const char *property) {
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_c, xcb_get_property(m_c, 0, window, atom(property), XCB_ATOM_CARDINAL, 0, 4096),
            nullptr));
        QVector<quint32> values;
        if (!reply || reply->format != 32)
            return values;
        const auto *data = static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
        for (int i = 0; i < xcb_get_property_value_length(reply.get()) / 4; ++i)
            values.append(data[i]);
        return values;
    }
    QRegion rectangles(quint32 window, const char *property) {
        const QVector<quint32> v = cardinals(window, property);
        QRegion region;
        for (int i = 0; i + 3 < v.size(); i += 4)
            region += QRect(int(v[i]), int(v[i + 1]), int(v[i + 2]), int(v[i + 3]));
        return region;
    }
    QRegion inputRegion(quint32 window) {
        XcbReply<xcb_shape_get_rectangles_reply_t> reply(xcb_shape_get_rectangles_reply(
            m_c, xcb_shape_get_rectangles(m_c, window, XCB_SHAPE_SK_INPUT), nullptr));
        QRegion result;
        if (!reply)
            return result;
        const xcb_rectangle_t *rects = xcb_shape_get_rectangles_rectangles(reply.get());
        for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply.get()); ++i)
            result += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
        return result;
    }

private:
    xcb_connection_t *m_c = nullptr;
    int m_screen = 0;
    xcb_window_t m_root = 0;
    xcb_window_t m_window = 0;
};

} // namespace

class tst_X11WindowEffects : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qunsetenv("ORIN_COMPOSITOR"); }
    void compositorFollowsSelectionOwner() {
        // A bare Xvfb runs no compositor.
        QVERIFY(!WindowEffects::compositorActive());
        OtherClient compositor;
        compositor.own("_NET_WM_CM_S0", true);
        QVERIFY(WindowEffects::compositorActive());
        // The override still decides for tests and for a user who wants the opaque look.
        WindowEffects::setCompositorOverride(false);
        QVERIFY(!WindowEffects::compositorActive());
        WindowEffects::setCompositorOverride(std::nullopt);
        compositor.own("_NET_WM_CM_S0", false);
        QVERIFY(!WindowEffects::compositorActive());
    }
    void inputRegion() {
        QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        window.resize(416, 276);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        OtherClient reader;
        const quint32 id = quint32(window.winId());
        WindowEffects::setInputRegion(&window, QRegion(28, 28, 360, 220));
        QTRY_COMPARE(reader.inputRegion(id), QRegion(28, 28, 360, 220));
        WindowEffects::setInputRegion(&window, QRegion());
        QTRY_COMPARE(reader.inputRegion(id), QRegion(0, 0, 416, 276));
    }
    void blurBehindWhereOffered_data() {
        QTest::addColumn<bool>("inSupported");
        QTest::newRow("root property (KWin)") << false;
        QTest::newRow("_NET_SUPPORTED") << true;
    }
    void blurBehindWhereOffered() {
        QFETCH(bool, inSupported);
        OtherClient compositor;
        compositor.own("_NET_WM_CM_S0", true);
        QVERIFY(!WindowEffects::blurBehindAvailable());
        compositor.announce("_KDE_NET_WM_BLUR_BEHIND_REGION", inSupported, true);
        QVERIFY(WindowEffects::blurBehindAvailable());

        // A glass panel asks for blur behind its rounded surface, inside the shadow margin.
        QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        window.setAttribute(Qt::WA_TranslucentBackground);
        const GlassSurface::Wrapped wrapped = GlassSurface::wrap(new QWidget, QSize(360, 220), 22);
        wrapped.view->setParent(&window);
        window.resize(wrapped.size);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.findChild<MaterialView *>()->isBlurred());
        const quint32 id = quint32(window.winId());
        QTRY_VERIFY(!compositor.rectangles(id, "_KDE_NET_WM_BLUR_BEHIND_REGION").isEmpty());
        const QRegion blurred = compositor.rectangles(id, "_KDE_NET_WM_BLUR_BEHIND_REGION");
        QCOMPARE(blurred.boundingRect(), QRect(28, 28, 360, 220));
        QVERIFY(!blurred.contains(QPoint(28, 28))); // rounded

        // Without a compositor there is nothing to ask for.
        compositor.own("_NET_WM_CM_S0", false);
        QVERIFY(!WindowEffects::blurBehindAvailable());
        compositor.announce("_KDE_NET_WM_BLUR_BEHIND_REGION", inSupported, false);
    }
};

CHROMET_X11_TEST_MAIN(tst_X11WindowEffects)
#include "tst_X11WindowEffects.moc"
