// Chromet under a Wayland compositor (headless sway with a scale-1.5 and a scale-2 output): picks
// through the running instance and one-shot `chromet pick`, exact to the device pixel, nudges,
// Escape, the toggle, the history and a clipboard that outlives the loupe; through the
// Screenshot portal, also with the loupe in fullscreen windows as on GNOME.

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

#include <functional>
#include <list>

using namespace Qt::StringLiterals;

class tst_AppWayland : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(m_bus.start(), qPrintable(m_bus.errorString()));
        QVERIFY2(m_session.start(), qPrintable(m_session.errorString()));
        startApp();
    }

    // The device pixel under the point, on either output, by click or key, also after nudges
    // (Shift+arrow moves ten device pixels, an arrow one): printed, in the history and on the
    // clipboard once the loupe has closed (and the one-shot process has ended). A second
    // `chromet pick` cancels: nothing printed, the clipboard left alone.
    void pick_data() {
        QTest::addColumn<bool>("instance");
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<QStringList>("keys"); // wtype's; none: a click; "again": a second pick
        QTest::addColumn<QPointF>("offset");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("one-shot, scale 2, Space")
            << false << QPointF(1439.5, 359.5) << QStringList{"-k", "space"} << QPointF() << false;
        QTest::newRow("instance, scale 1.5, click")
            << true << QPointF(533.5, 401) << QStringList{} << QPointF() << false;
        QTest::newRow("instance, scale 2, nudged")
            << true << QPointF(820.5, 100)
            << QStringList{"-M", "shift", "-k", "Right", "-m", "shift", "-k", "Up", "-k", "Return"}
            << QPointF(10 / 2.0, -1 / 2.0) << false;
        QTest::newRow("second pick")
            << true << QPointF(400, 300) << QStringList{"again"} << QPointF() << true;
    }
    void pick() {
        QFETCH(bool, instance);
        QFETCH(QPointF, at);
        QFETCH(QStringList, keys);
        QFETCH(QPointF, offset);
        QFETCH(bool, cancel);
        QVERIFY(m_session.run(u"wl-copy"_s, {u"left alone"_s}).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(m_session.clipboardText(), u"left alone"_s, 10000);
        QProcess pick;
        openLoupe(pick, instance, at);
        if (keys == QStringList{u"again"_s}) {
            QProcess second;
            second.setProcessEnvironment(environment());
            second.start(ChrometProcess::executable(), {u"pick"_s});
            QVERIFY(second.waitForFinished(10000));
        } else {
            QVERIFY(keys.isEmpty() ? m_session.click() : m_session.typeKeys(keys));
        }
        QVERIFY(pick.waitForFinished(15000));
        QCOMPARE(pick.exitCode(), cancel ? 1 : 0);
        const QString expected = cancel ? QString() : hexAt(at + offset);
        QCOMPARE(QString::fromUtf8(pick.readAllStandardOutput()).trimmed(), expected);
        if (!cancel)
            QCOMPARE(Desktop::history(m_app.libraryPath()).value(0),
                     WaylandSession::backgroundAt(at + offset));
        QTRY_COMPARE_WITH_TIMEOUT(m_session.clipboardText(), cancel ? u"left alone"_s : expected,
                                  10000);
    }

    // Where the compositor copies the screen for no client (forced here), the desktop's Screenshot
    // portal reads it: the real portal with the wlroots backend, the screenshot file removed. The
    // loupe is a layer surface per output, or where there is no layer shell (GNOME; forced here)
    // a fullscreen window per output, which takes the keys.
    void screenshotPortal_data() {
        QTest::addColumn<bool>("windows");
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<bool>("escape"); // or a click
        QTest::newRow("layer surfaces, click") << false << QPointF(900.5, 50.25) << false;
        QTest::newRow("windows, click") << true << QPointF(1439.5, 359.5) << false;
        QTest::newRow("windows, Escape") << true << QPointF(200, 150) << true;
    }
    void screenshotPortal() {
        QFETCH(bool, windows);
        QFETCH(QPointF, at);
        QFETCH(bool, escape);
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
            return service.waitForStarted(10000) &&
                   (readyFile.isEmpty() ||
                    QTest::qWaitFor([&] { return QFile::exists(readyFile); }, 30000));
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
        QProcess pick;
        pick.setProcessEnvironment(env);
        openLoupe(pick, false, at);
        QCOMPARE(fullscreenWindows(), windows ? 2 : 0);
        QVERIFY(escape ? m_session.typeKeys({u"-k"_s, u"Escape"_s}) : m_session.click());
        QVERIFY(pick.waitForFinished(15000));
        QCOMPARE(QString::fromUtf8(pick.readAllStandardOutput()).trimmed(),
                 escape ? QString() : hexAt(at));
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

private:
    void startApp() {
        ChrometProcess::Options app;
        const QProcessEnvironment session = m_session.environment();
        for (const QString &name : session.keys())
            app.environment << name + u'=' + session.value(name);
        app.environment << u"DBUS_SESSION_BUS_ADDRESS="_s + m_bus.address();
        QVERIFY(m_app.start(app));
        QVERIFY2(m_app.waitForLine(u"Chromet: listening on the session bus"_s) >= 0,
                 qPrintable(m_app.lines().join(u'\n')));
        m_opened = -1;
    }
    QProcessEnvironment environment() const {
        QProcessEnvironment env = m_app.environment();
        env.insert(u"QT_LOGGING_RULES"_s, u"*.debug=false\nloupe.info=true"_s);
        return env;
    }

    // Starts `chromet pick --print` (through the instance, or on its own with the instance
    // stopped; an environment set on `pick` is kept), waits for its loupe and brings the pointer
    // onto it: the loupe learns where the pointer is when it crosses it.
    void openLoupe(QProcess &pick, bool instance, const QPointF &at) {
        if (!instance)
            m_app.stop();
        else if (!m_app.isRunning())
            startApp();
        // A pick while the last one still shows its confirmation would close it.
        if (instance && m_opened >= 0)
            QVERIFY(m_app.waitForLine(u"loupe: closed"_s, m_opened) >= 0);
        QVERIFY(m_session.moveCursor(at + QPointF(3, 3)));
        const int mark = int(m_app.lines().size());
        if (pick.processEnvironment().isEmpty()) {
            QProcessEnvironment env = environment();
            if (!instance)
                env.remove(u"DBUS_SESSION_BUS_ADDRESS"_s);
            pick.setProcessEnvironment(env);
        }
        pick.start(ChrometProcess::executable(), {u"pick"_s, u"--print"_s});
        QVERIFY(pick.waitForStarted(10000));
        // Every output's loupe is up: the pointer then crosses one wherever it is.
        const QByteArray up = "every display shown";
        if (instance) {
            m_opened = m_app.waitForLine(QString::fromLatin1(up), mark);
            QVERIFY(m_opened >= 0);
        } else {
            QByteArray log;
            QVERIFY2(QTest::qWaitFor(
                         [&] {
                             pick.waitForReadyRead(50);
                             log += pick.readAllStandardError();
                             return log.contains(up);
                         },
                         30000),
                     log.constData());
        }
        QVERIFY(m_session.moveCursor(at));
    }

    // Chromet's windows that sway shows fullscreen.
    int fullscreenWindows() const {
        const std::function<int(const QJsonObject &)> count = [&](const QJsonObject &node) {
            int found = node.value(u"app_id"_s) == QLatin1StringView(ChrometInfo::appId) &&
                        node.value(u"fullscreen_mode"_s).toInt() == 1;
            for (const auto *children : {"nodes", "floating_nodes"}) {
                for (const QJsonValue child : node.value(QLatin1String(children)).toArray())
                    found += count(child.toObject());
            }
            return found;
        };
        return count(
            QJsonDocument::fromJson(m_session.run(u"swaymsg"_s, {u"-r"_s, u"-t"_s, u"get_tree"_s}))
                .object());
    }

    static QString hexAt(const QPointF &at) {
        return QColor(WaylandSession::backgroundAt(at)).name().toUpper();
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
