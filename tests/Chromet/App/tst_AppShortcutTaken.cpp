// The running application when another X client already holds Ctrl+Alt+C: it says so in its log
// and in an alert, and keeps running without a shortcut; the alert's "Open Settings" opens the
// settings on the General page.

#include "ChrometProcess.h"

#include "Support/XServerSession.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QTest>

namespace {

bool key(const QString &keys) {
    return Desktop::xdotool({QStringLiteral("key"), keys});
}

} // namespace

class tst_AppShortcutTaken : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void alertsAndKeepsRunning_data();
    void alertsAndKeepsRunning();
    void recordingATakenShortcutKeepsTheWorkingOne();

private:
    QProcess m_grabber;
};

void tst_AppShortcutTaken::initTestCase() {
    m_grabber.start(QStringLiteral(KEYGRABFIXTURE_EXECUTABLE),
                    {QStringLiteral("c"), QStringLiteral("control+alt")});
    QVERIFY(m_grabber.waitForStarted());
    QVERIFY(m_grabber.waitForReadyRead(10000));
    QCOMPARE(m_grabber.readAllStandardOutput().trimmed(), QByteArray("grabbed"));
}

void tst_AppShortcutTaken::cleanupTestCase() {
    m_grabber.closeWriteChannel();
    if (!m_grabber.waitForFinished(5000))
        m_grabber.kill();
}

void tst_AppShortcutTaken::alertsAndKeepsRunning_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("opensSettings");
    QTest::newRow("Later (Escape)") << "Escape" << false;
    QTest::newRow("Open Settings (Return, the default)") << "Return" << true;
}

void tst_AppShortcutTaken::alertsAndKeepsRunning() {
    QFETCH(QString, key);
    QFETCH(bool, opensSettings);
    ChrometProcess app;
    QVERIFY(app.start());

    const int refused = app.waitForLine(QStringLiteral("could not register shortcut"));
    QVERIFY2(refused >= 0, qPrintable(app.lines().join(QLatin1Char('\n'))));
    QCOMPARE(app.lines().at(refused),
             QStringLiteral("Chromet: could not register shortcut Ctrl+Alt+C"));
    QVERIFY(app.waitForLine(
                QStringLiteral("Chromet: alert: Ctrl+Alt+C is already in use by another app"),
                refused) > refused);

    // The alert is on screen and has the keyboard.
    QVERIFY(Desktop::waitFor([&] { return app.hasVisibleWindow(); }));
    QVERIFY(Desktop::waitFor(
        [&] { return Desktop::windowPid(Desktop::focusedWindow()) == app.pid(); }));
    const quint64 alert = Desktop::focusedWindow();
    QVERIFY(Desktop::xdotool({QStringLiteral("key"), key}));
    QVERIFY(Desktop::waitFor([&] { return !Desktop::windowsOf(app.pid()).contains(alert); }));

    if (opensSettings) {
        QVERIFY(Desktop::waitFor(
            [&] { return Desktop::findWindow(QStringLiteral("General"), app.pid()) != 0; }));
    } else {
        QVERIFY(app.waitUntilNoVisibleWindow());
    }
    // Still running, without a shortcut and without registering it behind the user's back.
    QVERIFY(app.isRunning());
    const QStringList lines = app.lines();
    QVERIFY(lines.filter(QStringLiteral("registered")).isEmpty());
    QCOMPARE(lines.filter(QStringLiteral("Chromet: alert:")).size(), 1);
}

void tst_AppShortcutTaken::recordingATakenShortcutKeepsTheWorkingOne() {
    ChrometProcess app;
    QVERIFY(app.start());
    QVERIFY(app.waitForLine(QStringLiteral("Chromet: alert:")) >= 0);
    QVERIFY(Desktop::waitFor(
        [&] { return Desktop::windowPid(Desktop::focusedWindow()) == app.pid(); }));
    QVERIFY(key(QStringLiteral("Return"))); // Open Settings
    quint64 settings = 0;
    QVERIFY(Desktop::waitFor(
        [&] { return (settings = Desktop::findWindow(QStringLiteral("General"), app.pid())); }));
    QVERIFY(Desktop::waitFor([&] { return Desktop::focusedWindow() == settings; }));

    // From the page list past the page's scroll area to the recorder, which Space starts; a
    // free combination registers.
    QVERIFY(key(QStringLiteral("Tab")));
    QVERIFY(key(QStringLiteral("Tab")));
    QVERIFY(key(QStringLiteral("space")));
    QVERIFY(key(QStringLiteral("ctrl+alt+k")));
    QVERIFY(app.waitForLine(QStringLiteral("Chromet: shortcut Ctrl+Alt+K registered")) >= 0);

    // The taken one is refused with an alert that has the keyboard: a combination pressed now
    // is not recorded, and Return closes it. (With Num Lock on, the other client's grab, made
    // without lock variants, lets the keys through to the recorder.)
    QVERIFY(key(QStringLiteral("space")));
    const int mark = int(app.lines().size());
    QVERIFY(key(QStringLiteral("Num_Lock")));
    const auto numLockOff = qScopeGuard([] { key(QStringLiteral("Num_Lock")); });
    QVERIFY(key(QStringLiteral("ctrl+alt+c")));
    QVERIFY(app.waitForLine(QStringLiteral("Chromet: alert: Ctrl+Alt+C is already in use"), mark) >=
            0);
    QVERIFY(Desktop::waitFor([&] {
        const quint64 focused = Desktop::focusedWindow();
        return focused != settings && Desktop::windowPid(focused) == app.pid();
    }));
    const quint64 alert = Desktop::focusedWindow();
    QVERIFY(key(QStringLiteral("ctrl+alt+j")));
    QVERIFY(key(QStringLiteral("Return")));
    QVERIFY(Desktop::waitFor([&] { return !Desktop::windowsOf(app.pid()).contains(alert); }));
    QVERIFY(app.lines().mid(mark).filter(QStringLiteral("Ctrl+Alt+J")).isEmpty());
    // ⌃⌥K stays: registered once, nothing registered since.
    QCOMPARE(app.lines().filter(QStringLiteral("registered")).size(), 1);
}

CHROMET_E2E_MAIN(tst_AppShortcutTaken, "1024x768x24")
#include "tst_AppShortcutTaken.moc"
