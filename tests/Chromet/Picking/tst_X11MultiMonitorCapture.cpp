#include "Support/CaptureTestSupport.h"

#include "Chromet/Picking/X11/X11SnapshotCapturer.h"
#include "Support/DummyMonitors.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QColorSpace>
#include <QScreen>
#include <QTemporaryDir>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

using namespace Qt::StringLiterals;

namespace {

const QColor kLeftColor(0xc0, 0x30, 0x10);
const QColor kRightColor(0x10, 0x60, 0xe0);
const QRect kLeftWindow(100, 100, 300, 200);
const QRect kRightWindow(1024 + 50, 60, 200, 150);

QRgb rgb(const QColor &color) {
    return color.rgb() & 0xffffff;
}

QRgb pixel(const ScreenSnapshot &snapshot, QPoint global) {
    const std::optional<QPoint> p = snapshot.pixelAt(global);
    return p ? snapshot.image.pixel(*p) & 0xffffff : 0xdeadbeef;
}

std::optional<CaptureResult> captureAll(X11SnapshotCapturer &capturer) {
    return waitForCapture(
        [&](QObject *context, auto done) { capturer.captureAllDisplays(context, done); });
}

void setRootProperty(const QByteArray &name, const QByteArray &value) {
    xcb_connection_t *c =
        qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, uint16_t(name.size()), name.constData()), nullptr);
    QVERIFY(atom);
    if (value.isNull())
        xcb_delete_property(c, root, atom->atom);
    else
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, atom->atom, XCB_ATOM_CARDINAL, 8,
                            uint32_t(value.size()), value.constData());
    std::free(atom);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

} // namespace

class tst_X11MultiMonitorCapture : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        m_left = std::make_unique<ColorBlocksWindow>(
            kLeftWindow,
            QList<ColorBlocksWindow::Block>{{QRect(QPoint(), kLeftWindow.size()), kLeftColor}});
        m_right = std::make_unique<ColorBlocksWindow>(
            kRightWindow,
            QList<ColorBlocksWindow::Block>{{QRect(QPoint(), kRightWindow.size()), kRightColor}});
        m_left->show();
        m_right->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_left.get()));
        QVERIFY(QTest::qWaitForWindowExposed(m_right.get()));
        X11SnapshotCapturer capturer;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const auto result = captureAll(capturer);
                return result && result->ok() && result->snapshots.size() == 2 &&
                       pixel(result->snapshots.at(1), kRightWindow.center()) == rgb(kRightColor) &&
                       pixel(result->snapshots.at(0), kLeftWindow.center()) == rgb(kLeftColor);
            }(),
            10000);
    }
    void capturesEveryDisplayInScreenOrder_data() {
        QTest::addColumn<X11SnapshotCapturer::Transfer>("transfer");
        QTest::newRow("shared memory") << X11SnapshotCapturer::Transfer::Automatic;
        QTest::newRow("GetImage") << X11SnapshotCapturer::Transfer::GetImage;
    }
    void capturesEveryDisplayInScreenOrder() {
        QFETCH(X11SnapshotCapturer::Transfer, transfer);
        X11SnapshotCapturer capturer(transfer);
        const auto result = captureAll(capturer);
        QVERIFY(result);
        QVERIFY2(result->ok(), qPrintable(result->error));
        QCOMPARE(result->snapshots.size(), 2);

        const ScreenSnapshot &left = result->snapshots.at(0);
        const ScreenSnapshot &right = result->snapshots.at(1);
        QCOMPARE(left.frame, QRectF(0, 0, 1024, 768));
        QCOMPARE(right.frame, QRectF(1024, 0, 800, 600));
        QVERIFY(left.displayID != right.displayID);

        // Each image starts at its own monitor's origin.
        QCOMPARE(pixel(left, kLeftWindow.bottomRight()), rgb(kLeftColor));
        QCOMPARE(right.image.pixel(kRightWindow.topLeft() - QPoint(1024, 0)) & 0xffffff,
                 rgb(kRightColor));
        QVERIFY((right.image.pixel(kRightWindow.topLeft() - QPoint(1025, 1)) & 0xffffff) !=
                rgb(kRightColor));
    }
    void captureDisplayTakesTheOneUnderThePoint() {
        X11SnapshotCapturer capturer;
        const auto result = waitForCapture([&](QObject *context, auto done) {
            capturer.captureDisplay(QPointF(1024, 0), context, done);
        });
        QVERIFY(result && result->ok());
        QCOMPARE(result->snapshots.size(), 1);
        QCOMPARE(result->snapshots.first().screenName, u"DUMMY1"_s);
        QCOMPARE(pixel(result->snapshots.first(), kRightWindow.center()), rgb(kRightColor));
    }
    void gapBetweenMonitorsIsNoDisplay() {
        // Below the shorter right monitor the root window goes on, but no display shows it.
        X11SnapshotCapturer capturer;
        const auto result = waitForCapture([&](QObject *context, auto done) {
            capturer.captureDisplay(QPointF(1500, 700), context, done);
        });
        QVERIFY(result && result->ok());
        QVERIFY(result->snapshots.isEmpty());
    }
    void eachDisplayHasItsOwnProfile() {
        const QColorSpace p3(QColorSpace::DisplayP3);
        setRootProperty("_ICC_PROFILE_1", p3.iccProfile());
        X11SnapshotCapturer capturer;
        const auto result = captureAll(capturer);
        setRootProperty("_ICC_PROFILE_1", QByteArray());
        QVERIFY(result && result->ok());
        QCOMPARE(result->snapshots.size(), 2);
        QCOMPARE(result->snapshots.at(0).image.colorSpace(), QColorSpace(QColorSpace::SRgb));
        QCOMPARE(result->snapshots.at(1).image.colorSpace(), p3);
    }

private:
    std::unique_ptr<ColorBlocksWindow> m_left;
    std::unique_ptr<ColorBlocksWindow> m_right;
};

CHROMET_DUMMY_MONITORS_TEST_MAIN(tst_X11MultiMonitorCapture)

#include "tst_X11MultiMonitorCapture.moc"
