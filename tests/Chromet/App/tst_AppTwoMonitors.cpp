// The running application over two monitors (Xorg's dummy driver): picks on the second monitor,
// also after the loupe has followed the pointer there from the first, and displays changing
// while the loupe is open.

#include "ChrometProcess.h"

#include "Support/DummyMonitors.h"
#include "Support/XServerSession.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QRect leftFixture(100, 100, 512, 400);
const QRect rightFixture(DummyMonitors::right.x() + 100, 60, 600, 400);

} // namespace

class tst_AppTwoMonitors : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_left.start(leftFixture));
        QVERIFY(m_right.start(rightFixture));
        QVERIFY(m_app.start());
        QVERIFY2(m_app.waitUntilReady(), qPrintable(m_app.lines().join(QLatin1Char('\n'))));
    }
    void cleanupTestCase() { m_app.stop(); }
    void pickOnTheSecondMonitor_data() {
        QTest::addColumn<QPoint>("start");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("opened there") << rightFixture.topLeft() + QPoint(300, 300)
                                      << rightFixture.topLeft() + QPoint(257, 133);
        QTest::newRow("opened on the first")
            << leftFixture.center() << rightFixture.topLeft() + QPoint(35, 310);
    }
    void pickOnTheSecondMonitor() {
        QFETCH(QPoint, start);
        QFETCH(QPoint, at);
        QVERIFY(m_app.openLoupe(start));
        QVERIFY(
            Desktop::xdotool({u"mousemove"_s, QString::number(at.x()), QString::number(at.y())}));
        // The second display's window opens once every display is captured.
        QVERIFY(Desktop::waitFor([&] { return loupeShownAt(m_right, at); }));
        QVERIFY(Desktop::xdotool({u"click"_s, u"1"_s}));
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(m_right.hexAt(at)), 10000);
        QCOMPARE(Desktop::history(m_app.libraryPath()).value(0), m_right.rgbAt(at));
        QVERIFY(m_app.waitUntilNoVisibleWindow());
    }
    void displaysChangeWhileTheLoupeIsOpen_data() {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QStringList>("change");
        QTest::addColumn<QStringList>("restore");
        // The loupe is over the monitor that changes.
        QTest::newRow("second monitor removed")
            << rightFixture.topLeft() + QPoint(150, 120)
            << QStringList{"--output", "DUMMY1", "--off"}
            << QStringList{"--output", "DUMMY1", "--mode", "800x600", "--right-of", "DUMMY0"};
        QTest::newRow("first monitor resized")
            << leftFixture.topLeft() + QPoint(200, 150)
            << QStringList{"--output", "DUMMY0", "--mode", "800x600"}
            << QStringList{"--output", "DUMMY0", "--mode",     "1024x768",
                           "--output", "DUMMY1", "--right-of", "DUMMY0"};
    }
    void displaysChangeWhileTheLoupeIsOpen() {
        QFETCH(QPoint, at);
        QFETCH(QStringList, change);
        QFETCH(QStringList, restore);
        const auto xrandr = [](const QStringList &arguments) {
            int code = -1;
            Desktop::run(u"xrandr"_s, arguments, &code);
            return code == 0;
        };
        QVERIFY(m_app.openLoupe(at));
        QVERIFY(xrandr(change));
        // The loupe closes or goes on over what is left; either way Escape ends it.
        QVERIFY(Desktop::xdotool({u"mousemove"_s, u"300"_s, u"200"_s, u"key"_s, u"Escape"_s}));
        QVERIFY(m_app.waitUntilNoVisibleWindow());
        QVERIFY(m_app.isRunning());
        QVERIFY(xrandr(restore));
        QVERIFY(Desktop::waitFor([] {
            return Desktop::run(u"xrandr"_s, {u"--listactivemonitors"_s}).contains("Monitors: 2");
        }));

        // The next pick works, on both displays.
        for (const auto &[fixture, point] :
             {std::pair{&m_left, leftFixture.topLeft() + QPoint(200, 150)},
              std::pair{&m_right, rightFixture.topLeft() + QPoint(80, 90)}}) {
            QVERIFY(m_app.openLoupe(point));
            QVERIFY(Desktop::waitFor([&] { return loupeShownAt(*fixture, point); }));
            QVERIFY(Desktop::xdotool({u"click"_s, u"1"_s}));
            QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(fixture->hexAt(point)),
                                      10000);
            QVERIFY(m_app.waitUntilNoVisibleWindow());
        }
        QVERIFY2(m_app.isRunning(), qPrintable(m_app.lines().join(QLatin1Char('\n'))));
    }

private:
    // Whether the screen around `at` shows the loupe rather than the fixture's own pixels: the
    // lens magnifies the pixels around the point, so hardly any stays as it was.
    static bool loupeShownAt(const ColorFixtureProcess &fixture, const QPoint &at) {
        const QRect area(at - QPoint(24, 24), QSize(48, 48));
        const QImage screen = Desktop::grabScreen(area);
        int different = 0;
        for (int y = 0; y < area.height() && !screen.isNull(); ++y) {
            for (int x = 0; x < area.width(); ++x) {
                different += (screen.pixel(x, y) & 0xffffff) !=
                             (fixture.rgbAt(area.topLeft() + QPoint(x, y)) & 0xffffff);
            }
        }
        return different > area.width() * area.height() / 2;
    }

    ColorFixtureProcess m_left;
    ColorFixtureProcess m_right;
    ChrometProcess m_app;
};

int main(int argc, char **argv) {
    QTemporaryDir dir;
    XServerSession server;
    QString error;
    if (!DummyMonitors::start(server, dir.path(), &error)) {
        qCritical("cannot start Xorg with the dummy driver: %s", qPrintable(error));
        return 1;
    }
    QCoreApplication app(argc, argv);
    tst_AppTwoMonitors tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_AppTwoMonitors.moc"
