#include "OrinTheme/GlassSurface.h"
#include "OrinTheme/MaterialView.h"
#include "OrinTheme/WindowEffects.h"

#include "Support/OtherClient.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <xcb/shape.h>

namespace {

// A second client on the test's display, standing in for a compositing manager.
class Compositor : public OtherClient {
public:
    Compositor() {
        xcb_create_window(connection(), XCB_COPY_FROM_PARENT, m_window, root(), 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    }

    void own(bool owning) {
        xcb_set_selection_owner(connection(), owning ? m_window : xcb_window_t(XCB_WINDOW_NONE),
                                atom("_NET_WM_CM_S0"), XCB_CURRENT_TIME);
        sync();
    }
    // Announces (or withdraws) a feature on the root window: as a property of its own, or in
    // _NET_SUPPORTED.
    void announce(const char *name, bool inSupported, bool on) {
        const xcb_atom_t feature = atom(name);
        const xcb_atom_t property = inSupported ? atom("_NET_SUPPORTED") : feature;
        if (on)
            xcb_change_property(connection(), XCB_PROP_MODE_REPLACE, root(), property,
                                inSupported ? xcb_atom_t(XCB_ATOM_ATOM) : feature,
                                inSupported ? 32 : 8, inSupported ? 1 : 0, &feature);
        else
            xcb_delete_property(connection(), root(), property);
        sync();
    }
    // A property made of x, y, width, height cardinals.
    QRegion rectangles(quint32 window, const char *property) {
        const auto r = reply(xcb_get_property_reply(
            connection(),
            xcb_get_property(connection(), 0, window, atom(property), XCB_ATOM_CARDINAL, 0, 4096),
            nullptr));
        QRegion region;
        if (!r || r->format != 32)
            return region;
        const auto *v = static_cast<const quint32 *>(xcb_get_property_value(r.get()));
        for (int i = 0; i + 3 < xcb_get_property_value_length(r.get()) / 4; i += 4)
            region += QRect(int(v[i]), int(v[i + 1]), int(v[i + 2]), int(v[i + 3]));
        return region;
    }
    QRegion inputRegion(quint32 window) {
        const auto r = reply(xcb_shape_get_rectangles_reply(
            connection(), xcb_shape_get_rectangles(connection(), window, XCB_SHAPE_SK_INPUT),
            nullptr));
        QRegion result;
        const xcb_rectangle_t *rects = r ? xcb_shape_get_rectangles_rectangles(r.get()) : nullptr;
        for (int i = 0; r && i < xcb_shape_get_rectangles_rectangles_length(r.get()); ++i)
            result += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
        return result;
    }

private:
    xcb_window_t m_window = xcb_generate_id(connection());
};

} // namespace

class tst_X11WindowEffects : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qunsetenv("ORIN_COMPOSITOR"); }
    void inputRegion() {
        QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        window.resize(416, 276);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Compositor reader;
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
        // A bare Xvfb runs no compositor; the owner of the selection is one.
        QVERIFY(!WindowEffects::compositorActive());
        Compositor compositor;
        compositor.own(true);
        QVERIFY(WindowEffects::compositorActive());
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
        compositor.own(false);
        QVERIFY(!WindowEffects::compositorActive());
        QVERIFY(!WindowEffects::blurBehindAvailable());
        compositor.announce("_KDE_NET_WM_BLUR_BEHIND_REGION", inSupported, false);
    }
};

CHROMET_X11_TEST_MAIN(tst_X11WindowEffects)
#include "tst_X11WindowEffects.moc"
