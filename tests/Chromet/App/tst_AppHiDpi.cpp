// The running application on a display scaled by 2: picks and nudges work in device pixels.

#include "ChrometProcess.h"

#include "Support/XServerSession.h"

#include <QCoreApplication>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QRect fixtureGeometry(200, 150, 512, 400);

} // namespace

class tst_AppHiDpi : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_fixture.start(fixtureGeometry));
        ChrometProcess::Options options;
        options.environment = {u"QT_SCALE_FACTOR=2"_s};
        QVERIFY(m_app.start(options));
        QVERIFY2(m_app.waitUntilReady(), qPrintable(m_app.lines().join(QLatin1Char('\n'))));
    }
    void cleanupTestCase() { m_app.stop(); }
    void clickPicksTheDevicePixel_data() {
        QTest::addColumn<QPoint>("at");
        // Odd device pixels lie between two logical points.
        QTest::newRow("even") << fixtureGeometry.topLeft() + QPoint(100, 50);
        QTest::newRow("odd") << fixtureGeometry.topLeft() + QPoint(101, 51);
        QTest::newRow("odd x") << fixtureGeometry.topLeft() + QPoint(301, 200);
    }
    void clickPicksTheDevicePixel() {
        QFETCH(QPoint, at);
        QVERIFY(m_app.openLoupe(at - QPoint(21, 13)));
        QVERIFY(Desktop::xdotool({u"mousemove"_s, QString::number(at.x()), QString::number(at.y()),
                                  u"click"_s, u"1"_s}));
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(m_fixture.hexAt(at)), 10000);
        QVERIFY(m_app.waitUntilNoVisibleWindow());
    }
    void nudgeMovesOneDevicePixel_data() {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QPoint>("offset");
        QTest::newRow("right") << QStringList{"Right", "Return"} << QPoint(1, 0);
        QTest::newRow("right twice, down")
            << QStringList{"Right", "Right", "Down", "Return"} << QPoint(2, 1);
        QTest::newRow("ten left, up")
            << QStringList{"shift+Left", "Up", "Return"} << QPoint(-10, -1);
    }
    void nudgeMovesOneDevicePixel() {
        QFETCH(QStringList, keys);
        QFETCH(QPoint, offset);
        const QPoint start = fixtureGeometry.topLeft() + QPoint(201, 151);
        QVERIFY(m_app.openLoupe(start));
        QVERIFY(Desktop::xdotool(QStringList{u"key"_s} + keys));
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(),
                                  std::optional(m_fixture.hexAt(start + offset)), 10000);
        QVERIFY(m_app.waitUntilNoVisibleWindow());
    }

private:
    ColorFixtureProcess m_fixture;
    ChrometProcess m_app;
};

CHROMET_E2E_MAIN(tst_AppHiDpi, "1280x800x24")
#include "tst_AppHiDpi.moc"
