// The running application when another X client already holds Ctrl+Alt+C: it says so in its log
// and in an alert, and keeps running without a shortcut; the alert's "Open Settings" opens the
// settings on the General page.

#include "ChrometProcess.h"

#include "Support/XServerSession.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

bool key(const QString &keys) {
    return Desktop::xdotool({u"key"_s, keys});
}

} // namespace

class tst_AppShortcutTaken : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        m_grabber.start(QStringLiteral(KEYGRABFIXTURE_EXECUTABLE), {u"c"_s, u"control+alt"_s});
        QVERIFY(m_grabber.waitForStarted());
        QVERIFY(m_grabber.waitForReadyRead(10000));
        QCOMPARE(m_grabber.readAllStandardOutput().trimmed(), QByteArray("grabbed"));
    }
    void cleanupTestCase() {
        m_grabber.closeWriteChannel();
        if (!m_grabber.waitForFinished(5000))
            m_grabber.kill();
    }
    // Escape answers Later; Open Settings is taken in the next test.
    void alertsAndKeepsRunning() {
        ChrometProcess app;
        QVERIFY(app.start());

        const int refused = app.waitForLine(u"could not register shortcut"_s);
        QVERIFY2(refused >= 0, qPrintable(app.lines().join(QLatin1Char('\n'))));
        QCOMPARE(app.lines().at(refused), u"Chromet: could not register shortcut Ctrl+Alt+C"_s);
        QVERIFY(app.waitForLine(u"Chromet: alert: Ctrl+Alt+C is already in use by another app"_s,
                                refused) > refused);

        // The alert is on screen and has the keyboard.
        QVERIFY(Desktop::waitFor([&] { return app.hasVisibleWindow(); }));
        QVERIFY(Desktop::waitFor(
            [&] { return Desktop::windowPid(Desktop::focusedWindow()) == app.pid(); }));
        const quint64 alert = Desktop::focusedWindow();
        QVERIFY(key(u"Escape"_s));
        QVERIFY(Desktop::waitFor([&] { return !Desktop::windowsOf(app.pid()).contains(alert); }));
        QVERIFY(app.waitUntilNoVisibleWindow());
        // Still running, without a shortcut and without registering it behind the user's back.
        QVERIFY(app.isRunning());
        const QStringList lines = app.lines();
        QVERIFY(lines.filter(u"registered"_s).isEmpty());
        QCOMPARE(lines.filter(u"Chromet: alert:"_s).size(), 1);
    }
    void recordingATakenShortcutKeepsTheWorkingOne() {
        ChrometProcess app;
        QVERIFY(app.start());
        QVERIFY(app.waitForLine(u"Chromet: alert:"_s) >= 0);
        QVERIFY(Desktop::waitFor(
            [&] { return Desktop::windowPid(Desktop::focusedWindow()) == app.pid(); }));
        QVERIFY(key(u"Return"_s)); // Open Settings
        quint64 settings = 0;
        QVERIFY(Desktop::waitFor(
            [&] { return (settings = Desktop::findWindow(u"General"_s, app.pid())); }));
        QVERIFY(Desktop::waitFor([&] { return Desktop::focusedWindow() == settings; }));

        // From the page list past the page's scroll area to the recorder, which Space starts; a
        // free combination registers.
        QVERIFY(key(u"Tab"_s));
        QVERIFY(key(u"Tab"_s));
        QVERIFY(key(u"space"_s));
        QVERIFY(key(u"ctrl+alt+k"_s));
        QVERIFY(app.waitForLine(u"Chromet: shortcut Ctrl+Alt+K registered"_s) >= 0);

        // The taken one is refused with an alert that has the keyboard: a combination pressed now
        // is not recorded, and Return closes it. (With Num Lock on, the other client's grab, made
        // without lock variants, lets the keys through to the recorder.)
        QVERIFY(key(u"space"_s));
        const int mark = int(app.lines().size());
        QVERIFY(key(u"Num_Lock"_s));
        const auto numLockOff = qScopeGuard([] { key(u"Num_Lock"_s); });
        QVERIFY(key(u"ctrl+alt+c"_s));
        QVERIFY(app.waitForLine(u"Chromet: alert: Ctrl+Alt+C is already in use"_s, mark) >= 0);
        QVERIFY(Desktop::waitFor([&] {
            const quint64 focused = Desktop::focusedWindow();
            return focused != settings && Desktop::windowPid(focused) == app.pid();
        }));
        const quint64 alert = Desktop::focusedWindow();
        QVERIFY(key(u"ctrl+alt+j"_s));
        QVERIFY(key(u"Return"_s));
        QVERIFY(Desktop::waitFor([&] { return !Desktop::windowsOf(app.pid()).contains(alert); }));
        QVERIFY(app.lines().mid(mark).filter(u"Ctrl+Alt+J"_s).isEmpty());
        // ⌃⌥K stays: registered once, nothing registered since.
        QCOMPARE(app.lines().filter(u"registered"_s).size(), 1);
    }

private:
    QProcess m_grabber;
};

CHROMET_E2E_MAIN(tst_AppShortcutTaken, "1024x768x24")
#include "tst_AppShortcutTaken.moc"
