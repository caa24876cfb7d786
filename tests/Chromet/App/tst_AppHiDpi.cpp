// The running application on a display scaled by 2: picks and nudges work in device pixels.

#include "ChrometProcess.h"

#include "Support/XServerSession.h"

#include <QCoreApplication>
#include <QTest>

namespace {

const QRect fixtureGeometry(200, 150, 512, 400);

} // namespace

class tst_AppHiDpi : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void clickPicksTheDevicePixel_data();
    void clickPicksTheDevicePixel();
    void nudgeMovesOneDevicePixel_data();
    void nudgeMovesOneDevicePixel();

private:
    ColorFixtureProcess m_fixture;
    ChrometProcess m_app;
};

void tst_AppHiDpi::initTestCase() {
    QVERIFY(m_fixture.start(fixtureGeometry));
    ChrometProcess::Options options;
    options.environment = {QStringLiteral("QT_SCALE_FACTOR=2")};
    QVERIFY(m_app.start(options));
    QVERIFY2(m_app.waitUntilReady(), qPrintable(m_app.lines().join(QLatin1Char('\n'))));
}

void tst_AppHiDpi::cleanupTestCase() {
    m_app.stop();
}

void tst_AppHiDpi::clickPicksTheDevicePixel_data() {
    QTest::addColumn<QPoint>("at");
    // Odd device pixels lie between two logical points.
    QTest::newRow("even") << fixtureGeometry.topLeft() + QPoint(100, 50);
    QTest::newRow("odd") << fixtureGeometry.topLeft() + QPoint(101, 51);
    QTest::newRow("odd x") << fixtureGeometry.topLeft() + QPoint(301, 200);
}

void tst_AppHiDpi::clickPicksTheDevicePixel() {
    QFETCH(QPoint, at);
    QVERIFY(m_app.openLoupe(at - QPoint(21, 13)));
    QVERIFY(
        Desktop::xdotool({QStringLiteral("mousemove"), QString::number(at.x()),
                          QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")}));
    QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(m_fixture.hexAt(at)), 10000);
    QVERIFY(m_app.waitUntilNoVisibleWindow());
}

void tst_AppHiDpi::nudgeMovesOneDevicePixel_data() {
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QPoint>("offset");
    QTest::newRow("right") << QStringList{"Right", "Return"} << QPoint(1, 0);
    QTest::newRow("right twice, down")
        << QStringList{"Right", "Right", "Down", "Return"} << QPoint(2, 1);
    QTest::newRow("ten left, up") << QStringList{"shift+Left", "Up", "Return"} << QPoint(-10, -1);
}

void tst_AppHiDpi::nudgeMovesOneDevicePixel() {
    QFETCH(QStringList, keys);
    QFETCH(QPoint, offset);
    const QPoint start = fixtureGeometry.topLeft() + QPoint(201, 151);
    QVERIFY(m_app.openLoupe(start));
    QVERIFY(Desktop::xdotool(QStringList{QStringLiteral("key")} + keys));
    QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(m_fixture.hexAt(start + offset)),
                              10000);
    QVERIFY(m_app.waitUntilNoVisibleWindow());
}

CHROMET_E2E_MAIN(tst_AppHiDpi, "1280x800x24")
#include "tst_AppHiDpi.moc"
