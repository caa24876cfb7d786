// `chromet pick` on a real X server and a private session bus: through the running Chromet and,
// with none running, on its own; and a second `chromet` raising the running one's settings.

#include "ChrometProcess.h"

#include "Support/SessionBus.h"
#include "Support/XServerSession.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QRect fixtureGeometry(200, 150, 512, 400);

} // namespace

class tst_AppPickCommand : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(m_bus.start(), qPrintable(m_bus.errorString()));
        QVERIFY(m_fixture.start(fixtureGeometry));
    }
    void init() {
        QVERIFY(
            Desktop::xdotool({u"windowfocus"_s, u"--sync"_s, QString::number(m_fixture.window())}));
    }
    void cleanup() { m_app.stop(); }

    void pickReturnsAtOnceAndTheInstancePicks() {
        startApp();
        const QPoint at = fixtureGeometry.topLeft() + QPoint(123, 45);
        QProcess pick;
        run(pick, {u"pick"_s}, at);
        QVERIFY(pick.waitForFinished(10000));
        QCOMPARE(pick.exitCode(), 0);
        QVERIFY(loupeUp(m_app.pid()));
        click(at);
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(m_fixture.hexAt(at)), 10000);
        QCOMPARE(Desktop::history(m_app.libraryPath()), QList<QRgb>{m_fixture.rgbAt(at)});
    }

    void printWaitsForThePick_data() {
        QTest::addColumn<bool>("instance");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("expectedFormat");
        QTest::newRow("instance, default format") << true << QStringList{u"--print"_s} << u"hex"_s;
        QTest::newRow("instance, --as rgb")
            << true << QStringList{u"--print"_s, u"--as"_s, u"rgb"_s} << u"rgb"_s;
        QTest::newRow("one-shot, --as rgb")
            << false << QStringList{u"--print"_s, u"--as=rgb"_s} << u"rgb"_s;
    }
    void printWaitsForThePick() {
        QFETCH(bool, instance);
        QFETCH(QStringList, options);
        QFETCH(QString, expectedFormat);
        if (instance)
            startApp();
        const QPoint at = fixtureGeometry.topLeft() + QPoint(300, 200);
        QProcess pick;
        run(pick, QStringList{u"pick"_s} + options, at);
        QVERIFY(loupeUp(instance ? m_app.pid() : pick.processId()));
        click(at);
        QVERIFY(pick.waitForFinished(15000));
        QCOMPARE(pick.exitCode(), 0);
        const QString code = QString::fromUtf8(pick.readAllStandardOutput()).trimmed();
        const QString expected = runFormat(m_fixture.hexAt(at), expectedFormat);
        QCOMPARE(code, expected);
        // The clipboard and the history as after a pick from the tray, also once a one-shot
        // pick has ended.
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(m_fixture.hexAt(at)), 10000);
        QCOMPARE(Desktop::history(m_app.libraryPath()).value(0), m_fixture.rgbAt(at));
    }

    void escapeCancels_data() {
        QTest::addColumn<bool>("instance");
        QTest::newRow("instance") << true;
        QTest::newRow("one-shot") << false;
    }
    void escapeCancels() {
        QFETCH(bool, instance);
        if (instance)
            startApp();
        ClipboardHolder holder(u"left alone"_s);
        QVERIFY(holder.isHolding());
        QProcess pick;
        run(pick, {u"pick"_s, u"--print"_s}, fixtureGeometry.center());
        QVERIFY(loupeUp(instance ? m_app.pid() : pick.processId()));
        QVERIFY(Desktop::xdotool({u"key"_s, u"Escape"_s}));
        QVERIFY(pick.waitForFinished(15000));
        QCOMPARE(pick.exitCode(), 1);
        QCOMPARE(pick.readAllStandardOutput(), QByteArray());
        QCOMPARE(Desktop::clipboard(), std::optional(u"left alone"_s));
    }

    void secondStartRaisesTheSettings() {
        startApp();
        QCOMPARE(Desktop::findWindow(u"General"_s, m_app.pid()), quint64(0));
        ChrometProcess second;
        ChrometProcess::Options options;
        options.sameSessionAs = &m_app;
        options.environment = busEnvironment();
        QVERIFY(second.start(options));
        QCOMPARE(second.waitForExit(15000), std::optional(0));
        QVERIFY(
            Desktop::waitFor([&] { return Desktop::findWindow(u"General"_s, m_app.pid()) != 0; }));
    }

    void noInstanceAndNoDisplayFails() {
        QProcess pick;
        QProcessEnvironment env = environment();
        env.remove(u"DISPLAY"_s);
        env.remove(u"QT_QPA_PLATFORM"_s);
        pick.setProcessEnvironment(env);
        pick.start(ChrometProcess::executable(), {u"pick"_s});
        QVERIFY(pick.waitForFinished(10000));
        QCOMPARE(pick.exitCode(), 1);
        QVERIFY(pick.readAllStandardError().contains("no display is reachable"));
    }

private:
    QStringList busEnvironment() const {
        return {u"DBUS_SESSION_BUS_ADDRESS="_s + m_bus.address()};
    }
    void startApp() {
        ChrometProcess::Options options;
        options.environment = busEnvironment();
        QVERIFY(m_app.start(options));
        QVERIFY2(m_app.waitForLine(u"Chromet: listening on the session bus"_s) >= 0,
                 qPrintable(m_app.lines().join(QLatin1Char('\n'))));
        QVERIFY(m_app.waitUntilReady());
    }
    // The folders of the app's run (made by starting it once when it has not run yet), the
    // test's display and the private bus.
    QProcessEnvironment environment() {
        if (m_app.dataHome() == u"/data"_s) {
            m_app.start();
            m_app.stop();
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_DATA_HOME"_s, m_app.dataHome());
        env.insert(u"XDG_CONFIG_HOME"_s, m_app.configHome());
        env.insert(u"XDG_RUNTIME_DIR"_s, m_app.runtimeDir());
        env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_bus.address());
        return env;
    }
    void run(QProcess &process, const QStringList &arguments, const QPoint &pointer) {
        QVERIFY(Desktop::xdotool(
            {u"mousemove"_s, QString::number(pointer.x()), QString::number(pointer.y())}));
        process.setProcessEnvironment(environment());
        process.start(ChrometProcess::executable(), arguments);
        QVERIFY(process.waitForStarted(10000));
    }
    // The loupe of process `pid` is up: one of its windows holds the keyboard.
    static bool loupeUp(qint64 pid) {
        return Desktop::waitFor(
            [pid] { return Desktop::windowPid(Desktop::focusedWindow()) == pid; });
    }
    static void click(const QPoint &at) {
        QVERIFY(Desktop::xdotool({u"mousemove"_s, QString::number(at.x()), QString::number(at.y()),
                                  u"click"_s, u"1"_s}));
    }
    // What `chromet format` makes of a color: the expected code.
    static QString runFormat(const QString &hex, const QString &format) {
        return QString::fromUtf8(
            Desktop::run(ChrometProcess::executable(), {u"format"_s, hex, u"--as"_s, format}));
    }

    SessionBus m_bus;
    ColorFixtureProcess m_fixture;
    ChrometProcess m_app;
};

CHROMET_E2E_MAIN(tst_AppPickCommand, "1280x800x24")
#include "tst_AppPickCommand.moc"
