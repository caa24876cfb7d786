// The running application on a real X server, as a user meets it: a pick through `chromet pick`
// (via the running instance on a private session bus, or on its own), a second start, a display
// scaled by 2 and a platform without a backend. Keys and pointer go through XTEST, the clipboard
// is read through xclip, the history from the library file.

#include "ChrometProcess.h"

#include "Chromet/Color/ColorConversion.h"
#include "Chromet/Color/ColorFormat.h"
#include "Support/SessionBus.h"
#include "Support/XServerSession.h"

#include <QApplication>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QRect fixtureGeometry(200, 150, 512, 400);

// What a pick of `rgb` gives in `format` (OKLCH is the settings' default format here).
QString code(QRgb rgb, ColorFormat format = ColorFormat::oklch) {
    const PickedColor color =
        pickedColor({qRed(rgb) / 255.0, qGreen(rgb) / 255.0, qBlue(rgb) / 255.0},
                    QColorSpace(QColorSpace::SRgb));
    return ColorFormats::format(format, color, std::nullopt, false);
}

bool clickAt(const QPoint &at) {
    return Desktop::movePointer(at) && xdotool({u"click"_s, u"1"_s});
}

} // namespace

class tst_AppX11 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(m_bus.start(), qPrintable(m_bus.errorString()));
        QVERIFY(m_fixture.start(fixtureGeometry));
        ChrometProcess::Options options;
        // The settings file's format reaches every copy.
        options.settings = "defaultFormat=oklch\n";
        options.environment << u"DBUS_SESSION_BUS_ADDRESS="_s + m_bus.address();
        QVERIFY(m_app.start(options));
        QVERIFY2(m_app.waitUntilReady(), qPrintable(m_app.lines().join(u'\n')));
        QVERIFY(m_app.waitForLine(u"Chromet: listening on the session bus"_s) >= 0);
    }
    void init() {
        // The fixture has the keyboard, as the application the user works in would.
        QVERIFY(xdotool({u"windowfocus"_s, u"--sync"_s, QString::number(m_fixture.window())}));
    }

    // `chromet pick` returns at once; with --print it waits and prints the code (exit 1 and nothing
    // when cancelled). The pick lands on the clipboard and in the history either way, also after a
    // one-shot process has ended, and the focus goes back to the window that had it.
    void pickCommand_data() {
        QTest::addColumn<bool>("instance");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<ColorFormat>("printed");
        QTest::newRow("instance") << true << QStringList{} << false << ColorFormat::oklch;
        QTest::newRow("instance, --as rgb")
            << true << QStringList{"--print", "--as", "rgb"} << false << ColorFormat::rgb;
        QTest::newRow("instance, Escape")
            << true << QStringList{"--print"} << true << ColorFormat::hex;
        QTest::newRow("one-shot, --as=rgb")
            << false << QStringList{"--print", "--as=rgb"} << false << ColorFormat::rgb;
        QTest::newRow("one-shot, Escape")
            << false << QStringList{"--print"} << true << ColorFormat::hex;
    }
    void pickCommand() {
        QFETCH(bool, instance);
        QFETCH(QStringList, options);
        QFETCH(bool, cancel);
        QFETCH(ColorFormat, printed);
        const QPoint at = fixtureGeometry.topLeft() + QPoint(300, 200);
        QVERIFY(Desktop::setClipboard(u"left alone"_s));
        QVERIFY(Desktop::movePointer(at));
        QProcess pick;
        pick.setProcessEnvironment(commandEnvironment(instance));
        pick.start(ChrometProcess::executable(), QStringList{u"pick"_s} + options);
        QVERIFY(QTest::qWaitFor(
            [&] {
                return Desktop::windowPid(Desktop::focusedWindow()) ==
                       (instance ? m_app.pid() : pick.processId());
            },
            30000));
        const bool print = options.contains(u"--print"_s);
        if (!print) {
            // It may have ended while the wait above ran the event loop.
            QVERIFY(pick.state() == QProcess::NotRunning || pick.waitForFinished(10000));
            QCOMPARE(pick.exitCode(), 0);
        }
        QVERIFY(cancel ? xdotool({u"key"_s, u"Escape"_s}) : clickAt(at));
        if (print) {
            QVERIFY(pick.waitForFinished(15000));
            QCOMPARE(pick.exitCode(), cancel ? 1 : 0);
            QCOMPARE(QString::fromUtf8(pick.readAllStandardOutput()).trimmed(),
                     cancel ? QString() : code(m_fixture.rgbAt(at), printed));
        }
        const QString copied = cancel ? u"left alone"_s : code(m_fixture.rgbAt(at));
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(copied), 10000);
        if (!cancel)
            QCOMPARE(Desktop::history(m_app.libraryPath()).value(0), m_fixture.rgbAt(at));
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::focusedWindow(), m_fixture.window(), 5000);
    }

    // A second start opens the running one's settings through the bus; without the bus it says so
    // and leaves.
    void secondStart_data() {
        QTest::addColumn<bool>("bus");
        QTest::newRow("no bus") << false;
        QTest::newRow("on the bus") << true;
    }
    void secondStart() {
        QFETCH(bool, bus);
        ChrometProcess second;
        ChrometProcess::Options options;
        options.sameSessionAs = &m_app;
        if (bus)
            options.environment << u"DBUS_SESSION_BUS_ADDRESS="_s + m_bus.address();
        QVERIFY(second.start(options));
        QCOMPARE(second.waitForExit(15000), std::optional(bus ? 0 : 1));
        if (!bus)
            QCOMPARE(second.lines(), QStringList{u"Chromet is already running"_s});
        QCOMPARE(QTest::qWaitFor([&] { return m_app.hasVisibleWindow(); }, bus ? 30000 : 0), bus);
        QVERIFY(m_app.isRunning());
    }

    // At scale 2 a pick and a nudge land on device pixels; odd ones lie between logical points.
    void hiDpiPicksTheDevicePixel_data() {
        QTest::addColumn<QStringList>("keys"); // none: a click
        QTest::addColumn<QPoint>("offset");
        QTest::newRow("click") << QStringList{} << QPoint();
        QTest::newRow("ten left, up")
            << QStringList{"shift+Left", "Up", "Return"} << QPoint(-10, -1);
    }
    void hiDpiPicksTheDevicePixel() {
        QFETCH(QStringList, keys);
        QFETCH(QPoint, offset);
        const QPoint at = fixtureGeometry.topLeft() + QPoint(201, 151);
        if (!m_scaled.isRunning()) {
            m_app.stop();
            ChrometProcess::Options options;
            options.environment = {u"QT_SCALE_FACTOR=2"_s};
            QVERIFY(m_scaled.start(options));
            QVERIFY2(m_scaled.waitUntilReady(), qPrintable(m_scaled.lines().join(u'\n')));
        }
        QVERIFY(m_scaled.openLoupe(keys.isEmpty() ? at - QPoint(21, 13) : at));
        QVERIFY(keys.isEmpty() ? clickAt(at) : xdotool(QStringList{u"key"_s} + keys));
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(m_fixture.hexAt(at + offset)),
                                  10000);
        QVERIFY(m_scaled.waitUntilNoVisibleWindow());
    }

    // Where no window-system backend serves it (the offscreen platform) it runs, says once what is
    // unavailable and why, and shows no alert.
    void withoutBackendSaysOnceWhatIsUnavailable() {
        ChrometProcess app;
        ChrometProcess::Options options;
        options.environment = {u"QT_QPA_PLATFORM=offscreen"_s};
        QVERIFY(app.start(options));
        QVERIFY2(app.waitForLine(u"Chromet: launched"_s) >= 0, qPrintable(app.lines().join(u'\n')));
        const QStringList lines = app.lines();
        QCOMPARE(lines.filter(u"unavailable"_s).size(), 1);
        QVERIFY(lines.filter(u"unavailable"_s).first().contains(u"\"offscreen\" platform"_s));
        QVERIFY2(lines.filter(u"alert:"_s).isEmpty(), qPrintable(lines.join(u'\n')));
        QVERIFY(app.isRunning());
    }

private:
    // `chromet pick` in the app's session, with the bus when it is to reach the instance.
    QProcessEnvironment commandEnvironment(bool instance) const {
        QProcessEnvironment env = m_app.environment();
        if (!instance)
            env.remove(u"DBUS_SESSION_BUS_ADDRESS"_s);
        return env;
    }

    SessionBus m_bus;
    ColorFixtureProcess m_fixture;
    ChrometProcess m_app;
    ChrometProcess m_scaled;
};

CHROMET_X11_TEST_MAIN(tst_AppX11)
#include "tst_AppX11.moc"
