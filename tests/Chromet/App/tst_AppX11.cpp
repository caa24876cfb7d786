// The running application on a real X server, as a user meets it: picks through the shortcut and
// through `chromet pick` (via the running instance on a private session bus, or on its own), a
// second start, a display scaled by 2, a shortcut another client holds and a copy from the tray.
// Keys and pointer go through XTEST, the clipboard is read through xclip, the history from the
// library file.

#include "ChrometProcess.h"

#include "Chromet/Color/ColorConversion.h"
#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Library/LibraryStore.h"
#include "Support/ImageProbe.h"
#include "Support/OtherClient.h"
#include "Support/RunProgram.h"
#include "Support/SessionBus.h"
#include "Support/XServerSession.h"

#include <QCoreApplication>
#include <QScopeGuard>
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

bool pointerTo(const QPoint &at) {
    return Desktop::xdotool({u"mousemove"_s, QString::number(at.x()), QString::number(at.y())});
}

bool clickAt(const QPoint &at) {
    return pointerTo(at) && Desktop::xdotool({u"click"_s, u"1"_s});
}

// A window of process `pid` (its loupe, its alert) holds the keyboard.
bool hasKeyboard(qint64 pid) {
    return Desktop::waitFor([pid] { return Desktop::windowPid(Desktop::focusedWindow()) == pid; });
}

constexpr QRgb navy = qRgb(0x33, 0x66, 0x99);

// The pixels of `image` within 4 of navy in every channel.
int countNavy(const QImage &image) {
    return probe(image,
                 [&](const QColor &p) {
                     return std::abs(p.red() - qRed(navy)) <= 4 &&
                            std::abs(p.green() - qGreen(navy)) <= 4 &&
                            std::abs(p.blue() - qBlue(navy)) <= 4;
                 })
        .count;
}

// Waits for a window of the process on screen that was not there before.
quint64 waitForNewWindow(qint64 pid, const QList<quint64> &before) {
    quint64 found = 0;
    Desktop::waitFor([&] {
        for (quint64 window : Desktop::windowsOf(pid)) {
            if (!before.contains(window))
                found = window;
        }
        return found != 0;
    });
    return found;
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
        QVERIFY(
            Desktop::xdotool({u"windowfocus"_s, u"--sync"_s, QString::number(m_fixture.window())}));
    }

    void shortcutPickCopiesRecordsAndGivesTheFocusBack() {
        const QPoint at = fixtureGeometry.topLeft() + QPoint(123, 45);
        QVERIFY(m_app.openLoupe(at - QPoint(40, 30)));
        QVERIFY(clickAt(at));
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(code(m_fixture.rgbAt(at))),
                                  10000);
        QCOMPARE(Desktop::history(m_app.libraryPath()).value(0), m_fixture.rgbAt(at));
        QVERIFY(m_app.waitUntilNoVisibleWindow());
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::focusedWindow(), m_fixture.window(), 5000);
    }
    // `chromet pick` returns at once; with --print it waits and prints the code (exit 1 and nothing
    // when cancelled). The pick lands on the clipboard and in the history either way.
    void pickCommand_data() {
        QTest::addColumn<bool>("instance");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<ColorFormat>("printed");
        QTest::newRow("instance") << true << QStringList{} << false << ColorFormat::oklch;
        QTest::newRow("instance, --print")
            << true << QStringList{"--print"} << false << ColorFormat::oklch;
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
        ClipboardHolder holder(u"left alone"_s);
        QVERIFY(holder.isHolding());
        QVERIFY(pointerTo(at));
        QProcess pick;
        pick.setProcessEnvironment(commandEnvironment(instance));
        pick.start(ChrometProcess::executable(), QStringList{u"pick"_s} + options);
        QVERIFY(hasKeyboard(instance ? m_app.pid() : pick.processId()));
        const bool print = options.contains(u"--print"_s);
        if (!print) {
            QVERIFY(pick.waitForFinished(10000));
            QCOMPARE(pick.exitCode(), 0);
        }
        QVERIFY(cancel ? Desktop::xdotool({u"key"_s, u"Escape"_s}) : clickAt(at));
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
    }
    void pickCommandWithoutInstanceOrDisplayFails() {
        QProcess pick;
        QProcessEnvironment env = commandEnvironment(false);
        env.remove(u"DISPLAY"_s);
        env.remove(u"QT_QPA_PLATFORM"_s);
        pick.setProcessEnvironment(env);
        pick.start(ChrometProcess::executable(), {u"pick"_s});
        QVERIFY(pick.waitForFinished(10000));
        QCOMPARE(pick.exitCode(), 1);
        QVERIFY(pick.readAllStandardError().contains("no display is reachable"));
    }

    // A second start raises the running one's settings through the bus; without the bus it says so
    // and leaves.
    void secondStart_data() {
        QTest::addColumn<bool>("bus");
        QTest::newRow("on the bus") << true;
        QTest::newRow("no bus") << false;
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
        if (bus) {
            QVERIFY(Desktop::waitFor(
                [&] { return Desktop::findWindow(u"General"_s, m_app.pid()) != 0; }));
        } else {
            QCOMPARE(second.lines(), QStringList{u"Chromet is already running"_s});
        }
        QVERIFY(m_app.isRunning());
    }

    // At scale 2 a pick and a nudge land on device pixels; odd ones lie between logical points.
    void hiDpiPicksTheDevicePixel_data() {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QStringList>("keys"); // none: a click at `at`
        QTest::addColumn<QPoint>("offset");
        const QPoint odd = fixtureGeometry.topLeft() + QPoint(201, 151);
        QTest::newRow("click, odd") << odd << QStringList{} << QPoint();
        QTest::newRow("click, odd x") << odd + QPoint(100, 0) << QStringList{} << QPoint();
        QTest::newRow("right twice, down")
            << odd << QStringList{"Right", "Right", "Down", "Return"} << QPoint(2, 1);
        QTest::newRow("ten left, up")
            << odd << QStringList{"shift+Left", "Up", "Return"} << QPoint(-10, -1);
    }
    void hiDpiPicksTheDevicePixel() {
        QFETCH(QPoint, at);
        QFETCH(QStringList, keys);
        QFETCH(QPoint, offset);
        if (!m_scaled.isRunning()) {
            m_app.stop();
            ChrometProcess::Options options;
            options.environment = {u"QT_SCALE_FACTOR=2"_s};
            QVERIFY(m_scaled.start(options));
            QVERIFY2(m_scaled.waitUntilReady(), qPrintable(m_scaled.lines().join(u'\n')));
        }
        QVERIFY(m_scaled.openLoupe(keys.isEmpty() ? at - QPoint(21, 13) : at));
        QVERIFY(keys.isEmpty() ? clickAt(at) : Desktop::xdotool(QStringList{u"key"_s} + keys));
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(m_fixture.hexAt(at + offset)),
                                  10000);
        QVERIFY(m_scaled.waitUntilNoVisibleWindow());
    }

    // Another client holds Ctrl+Alt+C: the log and an alert say so, and the application runs on
    // without a shortcut.
    void shortcutTakenAlertsAndRunsOn() {
        m_app.stop();
        m_scaled.stop();
        OtherClient other;
        QVERIFY(other.grab(54, quint16(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1))); // C
        ChrometProcess app;
        QVERIFY(app.start());
        const int refused = app.waitForLine(u"could not register shortcut"_s);
        QVERIFY2(refused >= 0, qPrintable(app.lines().join(u'\n')));
        QCOMPARE(app.lines().at(refused), u"Chromet: could not register shortcut Ctrl+Alt+C"_s);
        QVERIFY(app.waitForLine(u"Chromet: alert: Ctrl+Alt+C is already in use by another app"_s,
                                refused) > refused);
        // The alert is on screen and has the keyboard; Escape answers Later.
        QVERIFY(hasKeyboard(app.pid()));
        QVERIFY(Desktop::xdotool({u"key"_s, u"Escape"_s}));
        QVERIFY(app.waitUntilNoVisibleWindow());
        QVERIFY(app.isRunning());
        QVERIFY(app.lines().filter(u"registered"_s).isEmpty());
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

    // In a real tray (trayer, an XEmbed system tray): a copy from the menu, opened with a click and
    // walked with the keyboard, reaches the clipboard and plays on the icon on screen.
    void trayMenuCopyPlaysTheFeedback() {
        QProcess trayer;
        trayer.setProcessChannelMode(QProcess::MergedChannels);
        trayer.start(u"trayer"_s, {u"--edge"_s, u"top"_s, u"--align"_s, u"right"_s,
                                   u"--widthtype"_s, u"request"_s, u"--height"_s, u"24"_s});
        const auto stop = qScopeGuard([&] { stopProcess(trayer); });
        // A trayer that has ended will not show up: say why instead of waiting.
        QVERIFY(Desktop::waitFor([&] {
            m_panel = Desktop::run(u"xdotool"_s,
                                   {u"search"_s, u"--onlyvisible"_s, u"--classname"_s, u"panel"_s})
                          .split('\n')
                          .value(0)
                          .toULongLong();
            return m_panel != 0 || trayer.state() == QProcess::NotRunning;
        }));
        QVERIFY2(m_panel, trayer.readAll().constData());
        Library library = Library::defaultLibrary();
        library.record({{0.2, 0.4, 0.6}, {0.2, 0.4, 0.6}});
        ChrometProcess app;
        ChrometProcess::Options options;
        options.library = LibraryStore::encode(library).value();
        // The menu is walked with the keyboard: one style, so disabled items are passed over alike.
        options.environment << u"QT_STYLE_OVERRIDE=Fusion"_s;
        QVERIFY(app.start(options));
        QVERIFY2(waitForIcon(app.pid()), qPrintable(app.lines().join(u'\n')));
        const QImage normal = iconImage();
        QCOMPARE(countNavy(normal), 0);
        ClipboardHolder holder(u"left alone"_s);
        QVERIFY(holder.isHolding());

        // A click opens the menu: Pick Color, the recent color, its submenu; past "Copy #336699" to
        // HEX, then RGB.
        QList<quint64> shown = Desktop::windowsOf(app.pid());
        const QPoint centre = m_iconRect.center();
        QVERIFY(Desktop::xdotool({u"mousemove"_s, QString::number(centre.x()),
                                  QString::number(centre.y()), u"click"_s, u"1"_s}));
        QVERIFY(waitForNewWindow(app.pid(), shown));
        shown = Desktop::windowsOf(app.pid());
        QVERIFY(Desktop::xdotool({u"key"_s, u"Down"_s, u"Down"_s, u"Right"_s}));
        QVERIFY(waitForNewWindow(app.pid(), shown));
        QVERIFY(Desktop::xdotool({u"key"_s, u"Down"_s, u"Down"_s, u"Return"_s}));

        // The icon shows a dot in the copied color while the feedback plays, and is the normal icon
        // again once it is over; nothing but the icon is left on screen.
        QVERIFY(Desktop::waitFor([&] { return countNavy(iconImage()) >= 20; }, 5000));
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::clipboard(), std::optional(u"rgb(51 102 153)"_s), 5000);
        QVERIFY(Desktop::waitFor([&] { return iconImage() == normal; }, 10000));
        QCOMPARE(Desktop::windowsOf(app.pid()).size(), 1);
    }

private:
    // Waits until the icon is embedded in the tray (a window of the process within the panel) and
    // drawn, and notes where it is.
    bool waitForIcon(qint64 pid) {
        quint64 icon = 0;
        if (!Desktop::waitFor([&] {
                const QRect panel = Desktop::windowGeometry(m_panel);
                for (quint64 window : Desktop::windowsOf(pid))
                    icon = panel.contains(Desktop::windowGeometry(window)) ? window : icon;
                return icon != 0;
            }))
            return false;
        // Drawn once it shows more than the tray's background, and settled once two looks agree.
        // The tray may still be placing and sizing the icon it just embedded, so its place is read
        // anew each time.
        QImage previous;
        return Desktop::waitFor([&] {
            const QRect rect = Desktop::windowGeometry(icon);
            const QImage now = rect.isEmpty() ? QImage() : Desktop::grabScreen(rect);
            const bool settled = !now.isNull() && rect == m_iconRect && now == previous &&
                                 now.pixel(0, 0) != now.pixel(rect.width() / 2, rect.height() / 2);
            previous = now;
            m_iconRect = rect;
            return settled;
        });
    }
    // The icon as the screen shows it.
    QImage iconImage() const { return Desktop::grabScreen(m_iconRect); }

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
    quint64 m_panel = 0;
    QRect m_iconRect;
};

CHROMET_E2E_MAIN(tst_AppX11, "1280x800x24")
#include "tst_AppX11.moc"
