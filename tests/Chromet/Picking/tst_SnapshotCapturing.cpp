#include "Support/CaptureTestSupport.h"

#include "Chromet/Picking/SystemSnapshotCapturer.h"
#include "Support/SyntheticSnapshotCapturer.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

ScreenSnapshot display(quint32 id, QRectF frame) {
    ScreenSnapshot s;
    s.displayID = id;
    s.screenName = u"display-%1"_s.arg(id);
    s.frame = frame;
    s.image = QImage(frame.size().toSize(), QImage::Format_RGB32);
    s.image.fill(Qt::black);
    return s;
}

QList<quint32> ids(const CaptureResult &result) {
    QList<quint32> list;
    for (const ScreenSnapshot &s : result.snapshots)
        list.append(s.displayID);
    return list;
}

} // namespace

class tst_SnapshotCapturing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void captureDisplayPicksTheFirstDisplayHoldingThePoint_data() {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QList<quint32>>("expected");

        QTest::newRow("first display") << QPointF(10, 10) << QList<quint32>{1};
        QTest::newRow("shared edge belongs to the right") << QPointF(100, 10) << QList<quint32>{2};
        QTest::newRow("left edge of the first") << QPointF(0, 79.5) << QList<quint32>{1};
        QTest::newRow("bottom edge") << QPointF(10, 80) << QList<quint32>{};
        QTest::newRow("below the shorter display") << QPointF(120, 50) << QList<quint32>{};
        QTest::newRow("beyond the right edge") << QPointF(160, 10) << QList<quint32>{};
    }
    void captureDisplayPicksTheFirstDisplayHoldingThePoint() {
        QFETCH(QPointF, point);
        QFETCH(QList<quint32>, expected);

        SyntheticSnapshotCapturer capturer = twoDisplays();
        bool inside = true;
        const auto result = waitForCapture(
            [&](QObject *context, auto done) { capturer.captureDisplay(point, context, done); },
            &inside);
        QVERIFY(!inside);
        QVERIFY(result && result->ok());
        QCOMPARE(ids(*result), expected);
        QCOMPARE(capturer.requestedPoints(), QList<QPointF>{point});
    }
    void captureAllKeepsScreenOrder() {
        SyntheticSnapshotCapturer capturer(
            {display(7, QRectF(500, 0, 10, 10)), display(3, QRectF(0, 0, 10, 10))});
        const auto result = waitForCapture(
            [&](QObject *context, auto done) { capturer.captureAllDisplays(context, done); });
        QVERIFY(result && result->ok());
        QCOMPARE(ids(*result), (QList<quint32>{7, 3}));
        QCOMPARE(capturer.fullCaptureCount(), 1);
    }
    void errorsPerOperation() {
        SyntheticSnapshotCapturer capturer = twoDisplays();
        capturer.setFullCaptureError(u"display vanished"_s);
        auto first = waitForCapture([&](QObject *context, auto done) {
            capturer.captureDisplay(QPointF(1, 1), context, done);
        });
        QVERIFY(first && first->ok());
        auto full = waitForCapture(
            [&](QObject *context, auto done) { capturer.captureAllDisplays(context, done); });
        QVERIFY(full && !full->ok());
        QCOMPARE(full->error, u"display vanished"_s);
        QVERIFY(full->snapshots.isEmpty());

        capturer.setDisplayCaptureError(u"refused"_s);
        first = waitForCapture([&](QObject *context, auto done) {
            capturer.captureDisplay(QPointF(1, 1), context, done);
        });
        QVERIFY(first && !first->ok());
        QVERIFY(first->snapshots.isEmpty());
    }
    void heldResultsCompleteInRequestOrder() {
        SyntheticSnapshotCapturer capturer = twoDisplays();
        capturer.setHoldResults(true);
        QObject context;
        QStringList order;
        capturer.captureDisplay(QPointF(120, 10), &context, [&](CaptureResult r) {
            order << u"display %1"_s.arg(ids(r).value(0));
        });
        capturer.captureAllDisplays(
            &context, [&](CaptureResult r) { order << u"all %1"_s.arg(r.snapshots.size()); });
        QCoreApplication::processEvents();
        QVERIFY(order.isEmpty());
        QCOMPARE(capturer.heldCount(), 2);

        QCOMPARE(capturer.releaseHeld(), 2);
        QVERIFY(order.isEmpty()); // still queued, never delivered from inside the release
        QTRY_COMPARE(order, (QStringList{u"display 2"_s, u"all 2"_s}));
    }
    void heldResultForAGoneContextIsDropped() {
        SyntheticSnapshotCapturer capturer = twoDisplays();
        capturer.setHoldResults(true);
        int calls = 0;
        auto *context = new QObject;
        capturer.captureAllDisplays(context, [&](CaptureResult) { ++calls; });
        delete context;
        capturer.releaseHeld();

        // A later request on a live context completes; the dropped one stays silent.
        capturer.setHoldResults(false);
        QVERIFY(waitForCapture(
            [&](QObject *live, auto done) { capturer.captureAllDisplays(live, done); }));
        QCoreApplication::processEvents();
        QCOMPARE(calls, 0);
    }
    void destroyedCapturerFailsHeldRequests() {
        QObject context;
        std::optional<CaptureResult> result;
        {
            SyntheticSnapshotCapturer capturer = twoDisplays();
            capturer.setHoldResults(true);
            capturer.captureAllDisplays(&context, [&](CaptureResult r) { result = std::move(r); });
        }
        QTRY_VERIFY(result.has_value());
        QVERIFY(!result->ok());
    }
    void deliveryFromAnotherThreadArrivesOnTheContextThread() {
        QObject context;
        QThread *deliveredOn = nullptr;
        CaptureResult ready;
        ready.snapshots.append(display(9, QRectF(0, 0, 4, 4)));
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
    void systemCapturerOffX11IsUnavailable() {
        QCOMPARE(QGuiApplication::platformName(), u"offscreen"_s);
        // Silent: the platform layer reports the null backend once for every module.
        QTest::failOnWarning(QRegularExpression(u"."_s));
        const std::unique_ptr<SnapshotCapturing> capturer = makeSystemCapturer();
        auto *unavailable = dynamic_cast<NullSnapshotCapturer *>(capturer.get());
        QVERIFY(unavailable);
        QVERIFY(unavailable->reason().contains(QLatin1String("offscreen")));
    }

private:
    SyntheticSnapshotCapturer twoDisplays() const {
        return SyntheticSnapshotCapturer(
            {display(1, QRectF(0, 0, 100, 80)), display(2, QRectF(100, 0, 60, 40))});
    }
};

QTEST_MAIN(tst_SnapshotCapturing)
#include "tst_SnapshotCapturing.moc"
