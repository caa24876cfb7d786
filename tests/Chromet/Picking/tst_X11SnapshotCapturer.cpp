#include "Support/CaptureTestSupport.h"

#include "Chromet/Picking/SystemSnapshotCapturer.h"
#include "Chromet/Picking/X11/X11SnapshotCapturer.h"
#include "Support/OtherClient.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QColorSpace>
#include <QRegularExpression>

#include <xcb/randr.h>
#include <xcb/xcbext.h>

namespace {

using Transfer = X11SnapshotCapturer::Transfer;

const QRect kWindow(200, 150, 400, 300);

std::optional<CaptureResult> captureAll(X11SnapshotCapturer &capturer) {
    return waitForCapture(
        [&](QObject *context, auto done) { capturer.captureAllDisplays(context, done); });
}

// Whether a whole capture succeeds and shows the pattern window at `geometry`.
bool capturedShowsPattern(X11SnapshotCapturer &capturer, const QRect &geometry) {
    const auto result = captureAll(capturer);
    return result && result->ok() && showsPattern(result->snapshots.first(), geometry);
}

} // namespace

class tst_X11SnapshotCapturer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(X11SnapshotCapturer::isAvailable());
        QCOMPARE(QGuiApplication::screens().size(), 1);
        QVERIFY(m_other.ok());
        m_window = std::make_unique<PatternWindow>(kWindow);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        // Painting reaches the server a little after exposure.
        X11SnapshotCapturer capturer;
        QTRY_VERIFY_WITH_TIMEOUT(capturedShowsPattern(capturer, kWindow), 10000);
    }
    void cleanup() {
        m_other.setRootProperty("_ICC_PROFILE", {});
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
        capturer.warmUp();
        QCOMPARE(capturer.usesSharedMemory(), sharedMemory);
        // Twice whole, so a reused shared-memory segment is exercised as well, then only the
        // window's area, asked for around its centre.
        for (int round = 0; round < 3; ++round) {
            const auto result =
                round < 2 ? captureAll(capturer) : waitForCapture([&](QObject *context, auto done) {
                    capturer.captureArea(QRectF(kWindow).center(), kWindow.size(), context, done);
                });
            QVERIFY(result);
            QVERIFY2(result->ok(), qPrintable(result->error));
            QCOMPARE(result->snapshots.size(), 1);
            const ScreenSnapshot &s = result->snapshots.first();
            QCOMPARE(s.frame, QRectF(QGuiApplication::primaryScreen()->geometry()));
            QCOMPARE(s.pixelSize(), QGuiApplication::primaryScreen()->size());
            QCOMPARE(s.capturedPixels(), round < 2 ? s.image.rect() : kWindow);
            // Only what was asked for is read and held.
            QCOMPARE(s.image.size(), s.capturedPixels().size());
            QCOMPARE(s.image.colorSpace(), QColorSpace(QColorSpace::SRgb));
            QVERIFY(showsPattern(s, kWindow));
            const QPoint p = kWindow.topLeft() + QPoint(300, 225);
            QCOMPARE(toRgb(*s.colorAtPixel(p.x(), p.y())), colorFixturePixel(300, 225));
        }
    }
    // An area reaching past the screen is moved inside; a point on no screen captures nothing.
    void screenEdges() {
        X11SnapshotCapturer capturer;
        const auto area = waitForCapture([&](QObject *context, auto done) {
            capturer.captureArea(QPointF(1, 1), QSizeF(400, 300), context, done);
        });
        QVERIFY(area && area->ok());
        QCOMPARE(area->snapshots.first().capturedPixels(), QRect(0, 0, 400, 300));
        for (const QPointF point : {QPointF(1920, 10), QPointF(10, 1080), QPointF(-1, 5)}) {
            const auto result = waitForCapture([&](QObject *context, auto done) {
                capturer.captureDisplay(point, context, done);
            });
            QVERIFY(result && result->ok());
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
    // Tagged with the profile the root window publishes, read anew for each capture; sRGB with one
    // that cannot be read.
    void taggedWithPublishedProfile() {
        X11SnapshotCapturer capturer;
        const QColorSpace p3(QColorSpace::DisplayP3);
        m_other.setRootProperty("_ICC_PROFILE", p3.iccProfile());
        auto result = captureAll(capturer);
        QVERIFY(result && result->ok());
        QCOMPARE(result->snapshots.first().image.colorSpace(), p3);

        m_other.setRootProperty("_ICC_PROFILE", QByteArray(300, 'x'));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ICC"));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("cannot read the display's ICC profile"));
        result = captureAll(capturer);
        QVERIFY(result && result->ok());
        QCOMPARE(result->snapshots.first().image.colorSpace(), QColorSpace(QColorSpace::SRgb));
    }
    void systemCapturerIsX11() {
        const std::unique_ptr<SnapshotCapturing> capturer = makeSystemCapturer();
        QVERIFY(dynamic_cast<X11SnapshotCapturer *>(capturer.get()));
    }
    void serverErrorsArePassedUp() {
        // A monitor that reaches past the root window makes the server refuse the image. Listing
        // the output replaces the server's own monitor for it, and Qt follows with its screen.
        xcb_connection_t *c = m_other.connection();
        xcb_randr_get_screen_resources_current_reply_t *resources =
            xcb_randr_get_screen_resources_current_reply(
                c, xcb_randr_get_screen_resources_current(c, m_other.root()), nullptr);
        QVERIFY(resources && xcb_randr_get_screen_resources_current_outputs_length(resources) > 0);
        const xcb_randr_output_t output =
            xcb_randr_get_screen_resources_current_outputs(resources)[0];
        std::free(resources);

        // Sent by hand: the generated xcb_randr_set_monitor of this libxcb trips over its own
        // request length. The monitor: name, primary, automatic, outputs, x, y, then its size in
        // pixels and in millimetres.
        const xcb_randr_monitor_info_t info{
            m_other.atom("CHROMET-OVERSIZED"), 1, 0, 1, 0, 0, 2500, 1500, 500, 300};
        struct {
            uint8_t major, minor;
            uint16_t length;
            xcb_window_t window;
            xcb_randr_monitor_info_t info;
            xcb_randr_output_t output;
        } request{0, 0, 0, m_other.root(), info, output};
        const QString originalName = QGuiApplication::primaryScreen()->name();
        iovec parts[3] = {{}, {}, {&request, sizeof(request)}};
        const xcb_protocol_request_t protocol{1, &xcb_randr_id, XCB_RANDR_SET_MONITOR, 1};
        const xcb_void_cookie_t cookie{
            xcb_send_request(c, XCB_REQUEST_CHECKED, parts + 2, &protocol)};
        xcb_generic_error_t *error = xcb_request_check(c, cookie);
        QVERIFY2(!error, error ? qPrintable(QString::number(error->error_code)) : "");
        QTRY_COMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 2500, 1500));

        X11SnapshotCapturer capturer;
        const auto result = captureAll(capturer);
        xcb_randr_delete_monitor(c, m_other.root(), info.name);
        m_other.sync();
        QTRY_COMPARE(QGuiApplication::primaryScreen()->name(), originalName);
        QVERIFY(result && !result->ok());
        QVERIFY(result->snapshots.isEmpty());
        QVERIFY2(result->error.contains(QLatin1String("BadMatch")), qPrintable(result->error));
    }

private:
    OtherClient m_other;
    std::unique_ptr<PatternWindow> m_window;
};

CHROMET_X11_TEST_MAIN(tst_X11SnapshotCapturer)
#include "tst_X11SnapshotCapturer.moc"
