#include "Support/CaptureTestSupport.h"

#include "Chromet/Picking/SnapshotCapturing.h"
#include "Chromet/Picking/SystemSnapshotCapturer.h"
#include "Chromet/Picking/X11/X11PermissionChecker.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QThread>

using namespace Qt::StringLiterals;

class tst_SnapshotCapturing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void deliveryFromAnotherThreadArrivesOnTheContextThread() {
        QObject context;
        QThread *deliveredOn = nullptr;
        const CaptureResult ready;
        std::unique_ptr<QThread> worker(QThread::create([&] {
            deliverCaptureResult(QtFuture::makeReadyFuture(ready), &context,
                                 [&](CaptureResult) { deliveredOn = QThread::currentThread(); });
        }));
        worker->start();
        QVERIFY(worker->wait(10000));
        QTRY_VERIFY(deliveredOn != nullptr);
        QCOMPARE(deliveredOn, QThread::currentThread());
    }
    void unavailableCapturerFailsEveryCapture() {
        NullSnapshotCapturer capturer(u"no X server"_s);
        bool inside = true;
        auto result = waitForCapture(
            [&](QObject *context, auto done) { capturer.captureDisplay(QPointF(), context, done); },
            &inside);
        QVERIFY(!inside);
        QVERIFY(result && !result->ok());
        QCOMPARE(result->error, u"screen capture is unavailable: no X server"_s);
        result = waitForCapture(
            [&](QObject *context, auto done) { capturer.captureAllDisplays(context, done); });
        QVERIFY(result && !result->ok());
    }
    // Off X11 (here the offscreen platform) the screen cannot be read.
    void systemCapturerOffX11IsUnavailable() {
        QCOMPARE(QGuiApplication::platformName(), u"offscreen"_s);
        // Silent: the platform layer reports the null backend once for every module.
        QTest::failOnWarning(QRegularExpression(u"."_s));
        const std::unique_ptr<SnapshotCapturing> capturer = makeSystemCapturer();
        auto *unavailable = dynamic_cast<NullSnapshotCapturer *>(capturer.get());
        QVERIFY(unavailable);
        QVERIFY(unavailable->reason().contains(QLatin1String("offscreen")));
        X11PermissionChecker permission;
        QVERIFY(!permission.isGranted());
    }
};

QTEST_MAIN(tst_SnapshotCapturing)
#include "tst_SnapshotCapturing.moc"
