// The real `chromet` where no window-system backend serves it (the offscreen platform): it runs,
// says once what is unavailable and why, and shows no alert.

#include "ChrometProcess.h"

#include <QTest>

class tst_AppNullBackend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsAndSaysOnceWhatIsUnavailable() {
        ChrometProcess app;
        ChrometProcess::Options options;
        options.environment = {QStringLiteral("QT_QPA_PLATFORM=offscreen")};
        QVERIFY(app.start(options));
        QVERIFY2(app.waitForLine(QStringLiteral("Chromet: launched")) >= 0,
                 qPrintable(app.lines().join(QLatin1Char('\n'))));
        const QStringList lines = app.lines();
        const QStringList unavailable = lines.filter(QStringLiteral("unavailable"));
        QCOMPARE(unavailable.size(), 1);
        QVERIFY2(unavailable.first().contains(QStringLiteral("\"offscreen\" platform")),
                 qPrintable(unavailable.first()));
        QVERIFY2(lines.filter(QStringLiteral("alert:")).isEmpty(),
                 qPrintable(lines.join(QLatin1Char('\n'))));
        QVERIFY(app.isRunning());
    }
};

QTEST_GUILESS_MAIN(tst_AppNullBackend)
#include "tst_AppNullBackend.moc"
