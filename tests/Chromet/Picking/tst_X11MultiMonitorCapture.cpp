#include "Support/CaptureTestSupport.h"

#include "Chromet/Picking/X11/X11SnapshotCapturer.h"
#include "Support/DummyMonitors.h"
#include "Support/OtherClient.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QColorSpace>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

const QRect kLeftWindow(100, 100, 300, 200);
const QRect kRightWindow(1024 + 50, 60, 200, 150);

std::optional<CaptureResult> captureAll(X11SnapshotCapturer &capturer) {
    return waitForCapture(
        [&](QObject *context, auto done) { capturer.captureAllDisplays(context, done); });
}

std::optional<CaptureResult> captureAt(X11SnapshotCapturer &capturer, QPointF point) {
    return waitForCapture(
        [&](QObject *context, auto done) { capturer.captureDisplay(point, context, done); });
}

// Each image starts at its own monitor's origin: both windows show pixel for pixel.
bool showsBothWindows(const std::optional<CaptureResult> &result) {
    return result && result->ok() && result->snapshots.size() == 2 &&
           showsPattern(result->snapshots.at(0), kLeftWindow) &&
           showsPattern(result->snapshots.at(1), kRightWindow);
}

} // namespace

class tst_X11MultiMonitorCapture : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        for (const QRect &geometry : {kLeftWindow, kRightWindow}) {
            m_windows.push_back(std::make_unique<PatternWindow>(geometry));
            m_windows.back()->show();
            QVERIFY(QTest::qWaitForWindowExposed(m_windows.back().get()));
        }
        X11SnapshotCapturer capturer;
        QTRY_VERIFY_WITH_TIMEOUT(showsBothWindows(captureAll(capturer)), 10000);
    }
    void capturesEveryDisplayInScreenOrder_data() {
        QTest::addColumn<X11SnapshotCapturer::Transfer>("transfer");
        QTest::newRow("shared memory") << X11SnapshotCapturer::Transfer::Automatic;
        QTest::newRow("GetImage") << X11SnapshotCapturer::Transfer::GetImage;
    }
    // Each display is tagged with its own profile.
    void capturesEveryDisplayInScreenOrder() {
        QFETCH(X11SnapshotCapturer::Transfer, transfer);
        OtherClient other;
        other.setRootProperty("_ICC_PROFILE_1", QColorSpace(QColorSpace::DisplayP3).iccProfile());
        X11SnapshotCapturer capturer(transfer);
        const auto result = captureAll(capturer);
        other.setRootProperty("_ICC_PROFILE_1", {});
        QVERIFY(showsBothWindows(result));
        QCOMPARE(result->snapshots.at(0).frame, QRectF(DummyMonitors::left));
        QCOMPARE(result->snapshots.at(1).frame, QRectF(DummyMonitors::right));
        QVERIFY(result->snapshots.at(0).displayID != result->snapshots.at(1).displayID);
        QCOMPARE(result->snapshots.at(0).image.colorSpace(), QColorSpace(QColorSpace::SRgb));
        QCOMPARE(result->snapshots.at(1).image.colorSpace(), QColorSpace(QColorSpace::DisplayP3));
    }
    void captureDisplayTakesTheOneUnderThePoint() {
        X11SnapshotCapturer capturer;
        auto result = captureAt(capturer, QPointF(1024, 0));
        QVERIFY(result && result->ok());
        QCOMPARE(result->snapshots.size(), 1);
        QCOMPARE(result->snapshots.first().screenName, u"DUMMY1"_s);
        QVERIFY(showsPattern(result->snapshots.first(), kRightWindow));
        // Below the shorter right monitor the root window goes on, but no display shows it.
        result = captureAt(capturer, QPointF(1500, 700));
        QVERIFY(result && result->ok());
        QVERIFY(result->snapshots.isEmpty());
    }

private:
    std::vector<std::unique_ptr<PatternWindow>> m_windows;
};

CHROMET_DUMMY_MONITORS_TEST_MAIN(tst_X11MultiMonitorCapture)

#include "tst_X11MultiMonitorCapture.moc"
