// The running application over two monitors (Xorg's dummy driver): a monitor taken away while the
// loupe is open, then picks on both, the second after the loupe has followed the pointer there.

#include "ChrometProcess.h"

#include "Support/DummyMonitors.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QRect leftFixture(100, 100, 512, 400);
const QRect rightFixture(DummyMonitors::right.x() + 100, 60, 600, 400);

bool xrandr(const QStringList &arguments) {
    int code = -1;
    Desktop::run(u"xrandr"_s, arguments, &code);
    return code == 0;
}

} // namespace

class tst_AppTwoMonitors : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_left.start(leftFixture));
        QVERIFY(m_right.start(rightFixture));
        QVERIFY(m_app.start());
        QVERIFY2(m_app.waitUntilReady(), qPrintable(m_app.lines().join(u'\n')));
    }
    // Once the monitor is back, picks work on both displays, the second after the loupe has
    // followed the pointer there from the first.
    void monitorRemovedWhileTheLoupeIsOpen() {
        QVERIFY(m_app.openLoupe(rightFixture.topLeft() + QPoint(150, 120)));
        QVERIFY(xrandr({u"--output"_s, u"DUMMY1"_s, u"--off"_s}));
        // The loupe closes or goes on over what is left; either way Escape ends it.
        QVERIFY(xdotool({u"mousemove"_s, u"300"_s, u"200"_s, u"key"_s, u"Escape"_s}));
        QVERIFY(m_app.waitUntilNoVisibleWindow());
        QVERIFY(xrandr(
            {u"--output"_s, u"DUMMY1"_s, u"--mode"_s, u"800x600"_s, u"--right-of"_s, u"DUMMY0"_s}));
        QVERIFY(QTest::qWaitFor(
            [] {
                return Desktop::run(u"xrandr"_s, {u"--listactivemonitors"_s})
                    .contains("Monitors: 2");
            },
            30000));
        const QPoint left = leftFixture.topLeft() + QPoint(200, 150);
        QVERIFY(m_app.openLoupe(left));
        pickAt(m_left, left);
        QVERIFY(m_app.openLoupe(left));
        pickAt(m_right, rightFixture.topLeft() + QPoint(35, 310));
    }

private:
    // With the loupe open: a click at `at` once both displays show it.
    void pickAt(const ColorFixtureProcess &fixture, const QPoint &at) {
        QVERIFY(Desktop::movePointer(at));
        QVERIFY(
            QTest::qWaitFor([&] { return Desktop::windowsOf(m_app.pid()).size() == 2; }, 30000));
        QVERIFY(xdotool({u"click"_s, u"1"_s}));
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(fixture.hexAt(at)), 10000);
        QCOMPARE(Desktop::history(m_app.libraryPath()).value(0), fixture.rgbAt(at));
        QVERIFY(m_app.waitUntilNoVisibleWindow());
    }

    ColorFixtureProcess m_left;
    ColorFixtureProcess m_right;
    ChrometProcess m_app;
};

CHROMET_DUMMY_MONITORS_TEST_MAIN(tst_AppTwoMonitors)
#include "tst_AppTwoMonitors.moc"
