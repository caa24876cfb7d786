// Chromet under a Wayland compositor (headless sway with a scale-1 and a scale-2 output, then a
// scale-1.5 one): picks through the running instance and one-shot `chromet pick`, exact to the
// device pixel, nudges, Escape, the toggle, the history and a clipboard that outlives the loupe;
// through the Screenshot portal, also with the loupe in fullscreen windows as on GNOME.

#include "ChrometProcess.h"

#include "Chromet/Info/AppInfo.h"
#include "Support/PortalBus.h"
#include "Support/SessionBus.h"
#include "Support/WaylandSession.h"

#include <QCoreApplication>
#include <QTest>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <functional>
#include <list>

using namespace Qt::StringLiterals;

class tst_AppWayland : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(m_bus.start(), qPrintable(m_bus.errorString()));
        startSession({});
    }
    void cleanupTestCase() { m_app.stop(); }

    // The device pixel under the point, on either output, by click or key, also after nudges
    // (Shift+arrow moves ten device pixels, an arrow one); what is printed is also in the history
    // and on the clipboard once the loupe has closed (and the one-shot process has ended).
    void picksTheDevicePixel_data() {
        QTest::addColumn<bool>("instance");
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<QStringList>("keys"); // wtype's; none: a click
        QTest::addColumn<QPointF>("offset");
        QTest::newRow("one-shot, scale 2, Space")
            << false << QPointF(1919.5, 359.5) << QStringList{"-k", "space"} << QPointF();
        QTest::newRow("instance, scale 1, click")
            << true << QPointF(200, 150) << QStringList{} << QPointF();
        QTest::newRow("instance, scale 2, Return")
            << true << QPointF(1380.5, 50.25) << QStringList{"-k", "Return"} << QPointF();
        QTest::newRow("instance, scale 2, nudged")
            << true << QPointF(1300.5, 100)
            << QStringList{"-M", "shift", "-k", "Right", "-m", "shift", "-k", "Up", "-k", "Return"}
            << QPointF(10 / 2.0, -1 / 2.0);
    }
    void picksTheDevicePixel() {
        QFETCH(bool, instance);
        QFETCH(QPointF, at);
        QFETCH(QStringList, keys);
        QFETCH(QPointF, offset);
        QProcess pick;
        openLoupe(pick, instance, at);
        QVERIFY(keys.isEmpty() ? m_session.click() : m_session.typeKeys(keys));
        QVERIFY(pick.waitForFinished(15000));
        QCOMPARE(pick.exitCode(), 0);
        const QString expected = hexAt(at + offset);
        QCOMPARE(QString::fromUtf8(pick.readAllStandardOutput()).trimmed(), expected);
        QCOMPARE(Desktop::history(m_app.libraryPath()).value(0), rgbAt(at + offset));
        QTRY_COMPARE_WITH_TIMEOUT(m_session.clipboardText(), expected, 10000);
    }

    // Escape cancels and a second `chromet pick` closes the loupe: nothing printed, the
    // clipboard left alone.
    void cancelAndToggle_data() {
        QTest::addColumn<bool>("toggle");
        QTest::newRow("Escape") << false;
        QTest::newRow("second pick") << true;
    }
    void cancelAndToggle() {
        QFETCH(bool, toggle);
        QVERIFY(m_session.run(u"wl-copy"_s, {u"left alone"_s}).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(m_session.clipboardText(), u"left alone"_s, 10000);
        QProcess pick;
        openLoupe(pick, true, QPointF(400, 300));
        if (toggle) {
            QProcess second;
            second.setProcessEnvironment(environment());
            second.start(ChrometProcess::executable(), {u"pick"_s});
            QVERIFY(second.waitForFinished(10000));
        } else {
            QVERIFY(m_session.typeKeys({u"-k"_s, u"Escape"_s}));
        }
        QVERIFY(pick.waitForFinished(15000));
        QCOMPARE(pick.exitCode(), 1);
        QCOMPARE(pick.readAllStandardOutput(), QByteArray());
        QCOMPARE(m_session.clipboardText(), u"left alone"_s);
    }

    // Where the compositor copies the screen for no client (forced here), the desktop's Screenshot
    // portal reads it: the real portal with the wlroots backend, the screenshot file removed. The
    // loupe is a layer surface per output, or where there is no layer shell (GNOME; forced here)
    // a fullscreen window per output, which takes the keys.
    void screenshotPortal_data() {
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<QString>("confirm");
        QTest::newRow("layer surfaces, scale 2, click")
            << false << QPointF(1380.5, 50.25) << u"click"_s;
        QTest::newRow("windows, scale 2, click") << true << QPointF(1919.5, 359.5) << u"click"_s;
        QTest::newRow("windows, Escape") << true << QPointF(200, 150) << u"Escape"_s;
    }
    void screenshotPortal() {
        QFETCH(bool, windows);
        QFETCH(QPointF, at);
        QFETCH(QString, confirm);
        qputenv("XDG_CURRENT_DESKTOP", "sway:GNOME"); // the wlroots Screenshot, GNOME's Access
        SessionBus bus;
        QVERIFY2(bus.start(), qPrintable(bus.errorString()));
        QProcessEnvironment env = environment();
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus.address());
        env.insert(u"CHROMET_CAPTURE"_s, u"portal"_s);
        if (windows)
            env.insert(u"CHROMET_LOUPE_SURFACE"_s, u"window"_s);
        std::list<QProcess> services;
        const auto serve = [&](const QString &program, const QString &readyFile) {
            QProcess &service = services.emplace_back();
            service.setProcessEnvironment(env);
            service.setStandardOutputFile(QProcess::nullDevice());
            service.setStandardErrorFile(QProcess::nullDevice());
            service.start(program, {});
            return service.waitForStarted(10000) && (readyFile.isEmpty() || Desktop::waitFor([&] {
                                                         return QFile::exists(readyFile);
                                                     }));
        };
        // The backend needs PipeWire (for screen casts) before it starts, the frontend the backend.
        QVERIFY(serve(u"pipewire"_s, env.value(u"XDG_RUNTIME_DIR"_s) + u"/pipewire-0"_s));
        QVERIFY(serve(u"/usr/libexec/xdg-desktop-portal-wlr"_s, {}));
        QVERIFY(serve(u"/usr/libexec/xdg-desktop-portal"_s, {}));
        // Granted as a user would have: no dialog asks.
        QProcess grant;
        grant.setProcessEnvironment(env);
        grant.start(u"gdbus"_s,
                    {u"call"_s, u"--session"_s, u"--dest"_s,
                     u"org.freedesktop.impl.portal.PermissionStore"_s, u"--object-path"_s,
                     u"/org/freedesktop/impl/portal/PermissionStore"_s, u"--method"_s,
                     u"org.freedesktop.impl.portal.PermissionStore.SetPermission"_s,
                     u"screenshot"_s, u"true"_s, u"screenshot"_s, u""_s, u"['yes']"_s});
        QVERIFY(grant.waitForFinished(15000) && grant.exitCode() == 0);

        m_app.stop();
        QVERIFY(m_session.moveCursor(at + QPointF(3, 3)));
        QProcess pick;
        pick.setProcessEnvironment(env);
        pick.start(ChrometProcess::executable(), {u"pick"_s, u"--print"_s});
        QByteArray log;
        QVERIFY2(Desktop::waitFor([&] {
                     pick.waitForReadyRead(50);
                     log += pick.readAllStandardError();
                     return log.contains("every display shown");
                 }),
                 log.constData());
        QCOMPARE(fullscreenWindowOutputs().size(), windows ? m_session.outputs().size() : 0);
        QVERIFY(m_session.moveCursor(at));
        if (confirm == u"click"_s)
            QVERIFY(m_session.click());
        else
            QVERIFY(m_session.typeKeys({u"-k"_s, confirm}));
        QVERIFY(pick.waitForFinished(15000));
        QCOMPARE(QString::fromUtf8(pick.readAllStandardOutput()).trimmed(),
                 confirm == u"Escape"_s ? QString() : hexAt(at));
        QVERIFY(!QFile::exists(u"/tmp/out.png"_s));
        for (QProcess &service : services)
            service.kill();
        for (QProcess &service : services)
            service.waitForFinished();
        qunsetenv("XDG_CURRENT_DESKTOP");
    }

    // A desktop whose screenshot portal says no still picks, with its own color picker.
    void declinedScreenshotUsesTheDesktopPicker() {
        PortalBus bus;
        QVERIFY2(bus.start(true, {u"--color"_s, u"1,0,0.2"_s}), qPrintable(bus.errorString()));
        QProcessEnvironment env = environment();
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus.address());
        env.insert(u"CHROMET_CAPTURE"_s, u"portal"_s);
        m_app.stop();
        QProcess pick;
        pick.setProcessEnvironment(env);
        pick.start(ChrometProcess::executable(), {u"pick"_s, u"--print"_s});
        QVERIFY(pick.waitForFinished(15000));
        QCOMPARE(QString::fromUtf8(pick.readAllStandardOutput()).trimmed(), u"#FF0033"_s);
    }

    // At a fractional scale the loupe maps points to device pixels as the compositor does.
    void fractionalScale() {
        startSession({{1280, 720, 1, 0, 0}, {1200, 720, 1.5, 1280, 0}});
        const QPointF at(1280 + 533.5, 401);
        QProcess pick;
        openLoupe(pick, true, at);
        QVERIFY(m_session.click());
        QVERIFY(pick.waitForFinished(15000));
        QCOMPARE(QString::fromUtf8(pick.readAllStandardOutput()).trimmed(), hexAt(at));
    }

private:
    void startSession(const QList<WaylandSession::Output> &outputs) {
        m_app.stop();
        m_opened = -1;
        WaylandSession::Options options;
        if (!outputs.isEmpty())
            options.outputs = outputs;
        QVERIFY2(m_session.start(options), qPrintable(m_session.errorString()));
        ChrometProcess::Options app;
        const QProcessEnvironment session = m_session.environment();
        for (const QString &name : session.keys())
            app.environment << name + u'=' + session.value(name);
        app.environment << u"DBUS_SESSION_BUS_ADDRESS="_s + m_bus.address();
        QVERIFY(m_app.start(app));
        QVERIFY2(m_app.waitForLine(u"Chromet: listening on the session bus"_s) >= 0,
                 qPrintable(m_app.lines().join(u'\n')));
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = m_app.environment();
        env.insert(u"QT_LOGGING_RULES"_s, u"*.debug=false\nloupe.info=true"_s);
        return env;
    }

    // Starts `chromet pick` (through the instance, or on its own with the instance stopped),
    // waits for its loupe and brings the pointer onto it: the loupe learns where the pointer is
    // when it crosses it.
    void openLoupe(QProcess &pick, bool instance, const QPointF &at) {
        if (!instance)
            m_app.stop();
        else if (!m_app.isRunning())
            startSession({});
        // A pick while the last one still shows its confirmation would close it.
        if (instance && m_opened >= 0)
            QVERIFY(m_app.waitForLine(u"loupe: closed"_s, m_opened) >= 0);
        QVERIFY(m_session.moveCursor(at + QPointF(3, 3)));
        const int mark = int(m_app.lines().size());
        QProcessEnvironment env = environment();
        if (!instance)
            env.remove(u"DBUS_SESSION_BUS_ADDRESS"_s);
        pick.setProcessEnvironment(env);
        pick.start(ChrometProcess::executable(), {u"pick"_s, u"--print"_s});
        QVERIFY(pick.waitForStarted(10000));
        // Every output's loupe is up: the pointer then crosses one wherever it is.
        const QByteArray up = "every display shown";
        if (instance) {
            m_opened = m_app.waitForLine(QString::fromLatin1(up), mark);
            QVERIFY(m_opened >= 0);
        } else {
            QByteArray log;
            QVERIFY(Desktop::waitFor([&] {
                pick.waitForReadyRead(50);
                log += pick.readAllStandardError();
                return log.contains(up);
            }));
        }
        QVERIFY(m_session.moveCursor(at));
    }

    // The outputs that show one of Chromet's windows fullscreen, as sway lists them.
    QStringList fullscreenWindowOutputs() const {
        QStringList outputs;
        const std::function<void(const QJsonObject &, const QString &)> walk =
            [&](const QJsonObject &node, const QString &output) {
                const QString on = node.value(u"type"_s) == u"output"_s
                                       ? node.value(u"name"_s).toString()
                                       : output;
                if (node.value(u"app_id"_s) == QLatin1StringView(ChrometInfo::appId) &&
                    node.value(u"fullscreen_mode"_s).toInt() == 1)
                    outputs.append(on);
                for (const auto *children : {"nodes", "floating_nodes"}) {
                    for (const QJsonValue child : node.value(QLatin1String(children)).toArray())
                        walk(child.toObject(), on);
                }
            };
        walk(QJsonDocument::fromJson(m_session.run(u"swaymsg"_s, {u"-r"_s, u"-t"_s, u"get_tree"_s}))
                 .object(),
             QString());
        outputs.removeDuplicates();
        return outputs;
    }

    // The pattern's color under a global point, by the output it is on.
    QRgb rgbAt(const QPointF &at) const {
        const QList<WaylandSession::OutputInfo> outputs = m_session.outputs();
        for (int i = 0; i < outputs.size(); ++i) {
            const QRect frame = outputs[i].geometry;
            if (!QRectF(frame).contains(at))
                continue;
            const double scale = double(outputs[i].pixelSize.width()) / frame.width();
            return WaylandSession::backgroundPixel(i, int(std::floor((at.x() - frame.x()) * scale)),
                                                   int(std::floor((at.y() - frame.y()) * scale)));
        }
        return 0;
    }
    QString hexAt(const QPointF &at) const {
        return QColor(rgbAt(at)).name(QColor::HexRgb).toUpper();
    }

    SessionBus m_bus;
    WaylandSession m_session;
    ChrometProcess m_app;
    // The log line of the instance's last loupe.
    int m_opened = -1;
};

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    tst_AppWayland tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_AppWayland.moc"
