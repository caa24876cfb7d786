// `chromet pick` on a real X server and a private session bus: through the running Chromet and,
// with none running, on its own; and a second `chromet` raising the running one's settings.

#include "ChrometProcess.h"

#include "Support/SessionBus.h"
#include "Support/XServerSession.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

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
        QVERIFY(Desktop::xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"),
                                  QString::number(m_fixture.window())}));
    }
    void cleanup() { m_app.stop(); }

    void pickReturnsAtOnceAndTheInstancePicks() {
        startApp();
        const QPoint at = fixtureGeometry.topLeft() + QPoint(123, 45);
        QProcess pick;
        run(pick, {QStringLiteral("pick")}, at);
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
        QTest::newRow("instance, default format")
            << true << QStringList{QStringLiteral("--print")} << QStringLiteral("hex");
        QTest::newRow("instance, --as rgb")
            << true
            << QStringList{QStringLiteral("--print"), QStringLiteral("--as"), QStringLiteral("rgb")}
            << QStringLiteral("rgb");
        QTest::newRow("one-shot, --as rgb")
            << false << QStringList{QStringLiteral("--print"), QStringLiteral("--as=rgb")}
            << QStringLiteral("rgb");
    }
    void printWaitsForThePick() {
        QFETCH(bool, instance);
        QFETCH(QStringList, options);
        QFETCH(QString, expectedFormat);
        if (instance)
            startApp();
        const QPoint at = fixtureGeometry.topLeft() + QPoint(300, 200);
        QProcess pick;
        run(pick, QStringList{QStringLiteral("pick")} + options, at);
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
        ClipboardHolder holder(QStringLiteral("left alone"));
        QVERIFY(holder.isHolding());
        QProcess pick;
        run(pick, {QStringLiteral("pick"), QStringLiteral("--print")}, fixtureGeometry.center());
        QVERIFY(loupeUp(instance ? m_app.pid() : pick.processId()));
        QVERIFY(Desktop::xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
        QVERIFY(pick.waitForFinished(15000));
        QCOMPARE(pick.exitCode(), 1);
        QCOMPARE(pick.readAllStandardOutput(), QByteArray());
        QCOMPARE(Desktop::clipboard(), std::optional(QStringLiteral("left alone")));
    }

    void secondStartRaisesTheSettings() {
        startApp();
        QCOMPARE(Desktop::findWindow(QStringLiteral("General"), m_app.pid()), quint64(0));
        ChrometProcess second;
        ChrometProcess::Options options;
        options.sameSessionAs = &m_app;
        options.environment = busEnvironment();
        QVERIFY(second.start(options));
        QCOMPARE(second.waitForExit(15000), std::optional(0));
        QVERIFY(Desktop::waitFor(
            [&] { return Desktop::findWindow(QStringLiteral("General"), m_app.pid()) != 0; }));
    }

    void noInstanceAndNoDisplayFails() {
        QProcess pick;
        QProcessEnvironment env = environment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        pick.setProcessEnvironment(env);
        pick.start(ChrometProcess::executable(), {QStringLiteral("pick")});
        QVERIFY(pick.waitForFinished(10000));
        QCOMPARE(pick.exitCode(), 1);
        QVERIFY(pick.readAllStandardError().contains("no display is reachable"));
    }

private:
    QStringList busEnvironment() const {
        return {QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") + m_bus.address()};
    }
    void startApp() {
        ChrometProcess::Options options;
        options.environment = busEnvironment();
        QVERIFY(m_app.start(options));
        QVERIFY2(m_app.waitForLine(QStringLiteral("Chromet: listening on the session bus")) >= 0,
                 qPrintable(m_app.lines().join(QLatin1Char('\n'))));
        QVERIFY(m_app.waitUntilReady());
    }
    // The folders of the app's run (made by starting it once when it has not run yet), the
    // test's display and the private bus.
    QProcessEnvironment environment() {
        if (m_app.dataHome() == QStringLiteral("/data")) {
            m_app.start();
            m_app.stop();
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_app.dataHome());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_app.configHome());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_app.runtimeDir());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus.address());
        return env;
    }
    void run(QProcess &process, const QStringList &arguments, const QPoint &pointer) {
        QVERIFY(Desktop::xdotool({QStringLiteral("mousemove"), QString::number(pointer.x()),
                                  QString::number(pointer.y())}));
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
        QVERIFY(Desktop::xdotool({QStringLiteral("mousemove"), QString::number(at.x()),
                                  QString::number(at.y()), QStringLiteral("click"),
                                  QStringLiteral("1")}));
    }
    // What `chromet format` makes of a color: the expected code.
    static QString runFormat(const QString &hex, const QString &format) {
        return QString::fromUtf8(
            Desktop::run(ChrometProcess::executable(),
                         {QStringLiteral("format"), hex, QStringLiteral("--as"), format}));
    }

    SessionBus m_bus;
    ColorFixtureProcess m_fixture;
    ChrometProcess m_app;
};

CHROMET_E2E_MAIN(tst_AppPickCommand, "1280x800x24")
#include "tst_AppPickCommand.moc"
