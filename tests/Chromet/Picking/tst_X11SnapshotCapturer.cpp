#include "Support/CaptureTestSupport.h"

#include "Chromet/Picking/SystemSnapshotCapturer.h"
#include "Chromet/Picking/X11/X11SnapshotCapturer.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QColorSpace>
#include <QCursor>
#include <QProcess>
#include <QRegularExpression>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/randr.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

using namespace Qt::StringLiterals;

namespace {

using Transfer = X11SnapshotCapturer::Transfer;

const QRect kWindow(200, 150, 400, 300);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kSlate(0x12, 0x34, 0x56);

xcb_connection_t *connection() {
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

xcb_window_t root() {
    return xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
}

xcb_atom_t atom(const QByteArray &name) {
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection(), xcb_intern_atom(connection(), 0, uint16_t(name.size()), name.constData()),
        nullptr);
    const xcb_atom_t result = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return result;
}

void setRootProperty(const QByteArray &name, const QByteArray &value) {
    xcb_change_property(connection(), XCB_PROP_MODE_REPLACE, root(), atom(name), XCB_ATOM_CARDINAL,
                        8, uint32_t(value.size()), value.constData());
    std::free(xcb_get_input_focus_reply(connection(), xcb_get_input_focus(connection()), nullptr));
}

void deleteRootProperty(const QByteArray &name) {
    xcb_delete_property(connection(), root(), atom(name));
    std::free(xcb_get_input_focus_reply(connection(), xcb_get_input_focus(connection()), nullptr));
}

std::optional<CaptureResult> captureAll(X11SnapshotCapturer &capturer) {
    return waitForCapture(
        [&](QObject *context, auto done) { capturer.captureAllDisplays(context, done); });
}

// Only the area's part of the display under its centre.
std::optional<CaptureResult> captureArea(X11SnapshotCapturer &capturer, const QRectF &area) {
    return waitForCapture([&](QObject *context, auto done) {
        capturer.captureArea(area.center(), area.size(), context, done);
    });
}

QRgb pixel(const ScreenSnapshot &snapshot, QPoint global) {
    const QPoint p = *snapshot.pixelAt(global);
    return snapshot.image.pixel(p) & 0xffffff;
}

} // namespace

class tst_X11SnapshotCapturer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(X11SnapshotCapturer::isAvailable());
        QCOMPARE(QGuiApplication::screens().size(), 1);
        m_window = std::make_unique<ColorBlocksWindow>(
            kWindow, QList<ColorBlocksWindow::Block>{{QRect(0, 0, 200, 150), kRed},
                                                     {QRect(200, 0, 200, 150), kGreen},
                                                     {QRect(0, 150, 200, 150), kBlue},
                                                     {QRect(200, 150, 200, 150), kSlate}});
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        // Painting reaches the server a little after exposure.
        X11SnapshotCapturer capturer;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const auto result = captureAll(capturer);
                return result && result->ok() &&
                       pixel(result->snapshots.first(), kWindow.topLeft() + QPoint(5, 5)) ==
                           (kRed.rgb() & 0xffffff);
            }(),
            10000);
    }
    void cleanup() {
        deleteRootProperty("_ICC_PROFILE");
        qunsetenv("CHROMET_CAPTURE_NO_SHM");
    }
    void capturesExactPixels_data() {
        QTest::addColumn<Transfer>("transfer");
        QTest::addColumn<bool>("sharedMemory");
        QTest::addColumn<bool>("noShmVariable");
        QTest::newRow("shared memory") << Transfer::Automatic << true << false;
        QTest::newRow("GetImage") << Transfer::GetImage << false << false;
        QTest::newRow("variable turns shared memory off") << Transfer::Automatic << false << true;
    }
    void capturesExactPixels() {
        QFETCH(Transfer, transfer);
        QFETCH(bool, sharedMemory);
        QFETCH(bool, noShmVariable);
        if (noShmVariable)
            qputenv("CHROMET_CAPTURE_NO_SHM", "1");

        X11SnapshotCapturer capturer(transfer);
        QCOMPARE(capturer.usesSharedMemory(), sharedMemory);
        // Twice whole, so a reused shared-memory segment is exercised as well, then only the
        // window's area, asked for around its centre.
        for (int round = 0; round < 3; ++round) {
            const auto result =
                round < 2 ? captureAll(capturer) : captureArea(capturer, QRectF(kWindow));
            QVERIFY(result);
            QVERIFY2(result->ok(), qPrintable(result->error));
            QCOMPARE(result->snapshots.size(), 1);
            const ScreenSnapshot &s = result->snapshots.first();
            QCOMPARE(s.frame, QRectF(QGuiApplication::primaryScreen()->geometry()));
            QCOMPARE(s.image.size(), QGuiApplication::primaryScreen()->size());
            QCOMPARE(s.capturedPixels(), round < 2 ? s.image.rect() : kWindow);
            QCOMPARE(s.image.colorSpace(), QColorSpace(QColorSpace::SRgb));

            const QPoint origin = kWindow.topLeft();
            QCOMPARE(pixel(s, origin + QPoint(300, 75)), kGreen.rgb() & 0xffffff);
            QCOMPARE(pixel(s, origin + QPoint(100, 225)), kBlue.rgb() & 0xffffff);
            // Block edges land on the right pixels: nothing shifted by a row or a column.
            QCOMPARE(pixel(s, origin + QPoint(199, 149)), kRed.rgb() & 0xffffff);
            QCOMPARE(pixel(s, origin + QPoint(200, 150)), kSlate.rgb() & 0xffffff);
            QCOMPARE(pixel(s, origin + QPoint(399, 299)), kSlate.rgb() & 0xffffff);

            const std::optional<PickedColor> slate =
                s.colorAtPixel(origin.x() + 300, origin.y() + 225);
            QVERIFY(slate);
            QVERIFY(qAbs(slate->srgb.r - 0x12 / 255.0) < 1e-4 &&
                    qAbs(slate->srgb.g - 0x34 / 255.0) < 1e-4 &&
                    qAbs(slate->srgb.b - 0x56 / 255.0) < 1e-4);
        }
    }
    void areaReachingPastTheScreenIsMovedInside() {
        X11SnapshotCapturer capturer;
        const auto result = captureArea(capturer, QRectF(-199, -149, 400, 300));
        QVERIFY(result && result->ok());
        QCOMPARE(result->snapshots.first().capturedPixels(), QRect(0, 0, 400, 300));
    }
    void pointOnNoScreenCapturesNothing() {
        X11SnapshotCapturer capturer;
        for (const QPointF point : {QPointF(1920, 10), QPointF(10, 1080), QPointF(-1, 5)}) {
            const auto result = waitForCapture([&](QObject *context, auto done) {
                capturer.captureDisplay(point, context, done);
            });
            QVERIFY(result);
            QVERIFY(result->ok());
            QVERIFY(result->snapshots.isEmpty());
        }
    }
    void deliversLaterAndOnlyToLiveContexts() {
        X11SnapshotCapturer capturer;
        bool inside = true;
        const auto result = waitForCapture(
            [&](QObject *context, auto done) { capturer.captureAllDisplays(context, done); },
            &inside);
        QVERIFY(result);
        QVERIFY(!inside);

        // A context deleted before delivery never hears back.
        int lateCalls = 0;
        auto *gone = new QObject;
        capturer.captureAllDisplays(gone, [&](CaptureResult) { ++lateCalls; });
        delete gone;
        QVERIFY(captureAll(capturer));
        QCoreApplication::processEvents();
        QCOMPARE(lateCalls, 0);
    }
    void warmedUpCaptureMatches() {
        X11SnapshotCapturer capturer;
        capturer.warmUp();
        const auto result = captureAll(capturer);
        QVERIFY(result && result->ok());
        QVERIFY(capturer.usesSharedMemory());
        QCOMPARE(pixel(result->snapshots.first(), kWindow.topLeft() + QPoint(100, 225)),
                 kBlue.rgb() & 0xffffff);
    }
    void taggedWithPublishedProfile() {
        X11SnapshotCapturer capturer;
        const QColorSpace p3(QColorSpace::DisplayP3);

        setRootProperty("_ICC_PROFILE", p3.iccProfile());
        auto result = captureAll(capturer);
        QVERIFY(result && result->ok());
        const ScreenSnapshot &s = result->snapshots.first();
        QCOMPARE(s.image.colorSpace(), p3);

        // Withdrawn again, the display is sRGB once more.
        deleteRootProperty("_ICC_PROFILE");
        result = captureAll(capturer);
        QVERIFY(result && result->ok());
        QCOMPARE(result->snapshots.first().image.colorSpace(), QColorSpace(QColorSpace::SRgb));
    }
    void unreadableProfileFallsBackToSrgb() {
        X11SnapshotCapturer capturer;
        setRootProperty("_ICC_PROFILE", QByteArray(300, 'x'));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ICC"));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("cannot read the display's ICC profile"));
        const auto result = captureAll(capturer);
        QVERIFY(result && result->ok());
        QCOMPARE(result->snapshots.first().image.colorSpace(), QColorSpace(QColorSpace::SRgb));
    }
    void cursorIsNotInTheImage() {
        ColorBlocksWindow plain(QRect(900, 500, 200, 200), {{QRect(0, 0, 200, 200), kSlate}});
        plain.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plain));
        const QPoint centre(1000, 600);
        // The pointer sits over the plain window; xdotool talks to this test's DISPLAY.
        QCOMPARE(QProcess::execute(u"xdotool"_s, {u"mousemove"_s, QString::number(centre.x()),
                                                  QString::number(centre.y())}),
                 0);
        QTRY_COMPARE(QCursor::pos(), centre);

        X11SnapshotCapturer capturer;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const auto result = captureAll(capturer);
                return result && result->ok() &&
                       pixel(result->snapshots.first(), QPoint(905, 505)) ==
                           (kSlate.rgb() & 0xffffff);
            }(),
            10000);
        const auto result = captureAll(capturer);
        QVERIFY(result && result->ok());
        const ScreenSnapshot &s = result->snapshots.first();
        for (int y = centre.y() - 40; y < centre.y() + 40; ++y)
            for (int x = centre.x() - 40; x < centre.x() + 40; ++x)
                QCOMPARE(pixel(s, QPoint(x, y)), kSlate.rgb() & 0xffffff);
    }
    void systemCapturerIsX11() {
        const std::unique_ptr<SnapshotCapturing> capturer = makeSystemCapturer();
        QVERIFY(dynamic_cast<X11SnapshotCapturer *>(capturer.get()));
    }
    void serverErrorsArePassedUp() {
        // A monitor that reaches past the root window makes the server refuse the image. Listing
        // the output replaces the server's own monitor for it, and Qt follows with its screen.
        xcb_randr_get_screen_resources_current_reply_t *resources =
            xcb_randr_get_screen_resources_current_reply(
                connection(), xcb_randr_get_screen_resources_current(connection(), root()),
                nullptr);
        QVERIFY(resources && xcb_randr_get_screen_resources_current_outputs_length(resources) > 0);
        const xcb_randr_output_t output =
            xcb_randr_get_screen_resources_current_outputs(resources)[0];
        std::free(resources);

        // Sent by hand: the generated xcb_randr_set_monitor of this libxcb trips over its own
        // request length.
        struct {
            uint8_t major = 0;
            uint8_t minor = 0;
            uint16_t length = 0;
            xcb_window_t window = 0;
            xcb_randr_monitor_info_t info{};
            xcb_randr_output_t output = 0;
        } request;
        request.window = root();
        const QString originalName = QGuiApplication::primaryScreen()->name();
        request.info.name = atom("CHROMET-OVERSIZED");
        request.info.primary = 1;
        request.info.nOutput = 1;
        request.info.width = 2500;
        request.info.height = 1500;
        request.info.width_in_millimeters = 500;
        request.info.height_in_millimeters = 300;
        request.output = output;
        iovec parts[3];
        parts[2].iov_base = &request;
        parts[2].iov_len = sizeof(request);
        const xcb_protocol_request_t protocol{1, &xcb_randr_id, XCB_RANDR_SET_MONITOR, 1};
        const xcb_void_cookie_t cookie{
            xcb_send_request(connection(), XCB_REQUEST_CHECKED, parts + 2, &protocol)};
        xcb_generic_error_t *error = xcb_request_check(connection(), cookie);
        QVERIFY2(!error, error ? qPrintable(QString::number(error->error_code)) : "");

        QTRY_COMPARE(QGuiApplication::primaryScreen()->name(), u"CHROMET-OVERSIZED"_s);
        QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 2500, 1500));

        X11SnapshotCapturer capturer;
        const auto result = captureAll(capturer);
        xcb_randr_delete_monitor(connection(), root(), request.info.name);
        xcb_flush(connection());
        QTRY_COMPARE(QGuiApplication::primaryScreen()->name(), originalName);
        QVERIFY(result);
        QVERIFY(!result->ok());
        QVERIFY(result->snapshots.isEmpty());
        QVERIFY2(result->error.contains(QLatin1String("BadMatch")), qPrintable(result->error));
    }

private:
    std::unique_ptr<ColorBlocksWindow> m_window;
};

CHROMET_X11_TEST_MAIN(tst_X11SnapshotCapturer)
#include "tst_X11SnapshotCapturer.moc"
