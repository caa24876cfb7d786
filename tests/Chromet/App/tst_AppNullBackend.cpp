// The real `chromet` where no window-system backend serves it (the offscreen platform): it runs,
// says once what is unavailable and why, and shows no alert.

#include "ChrometProcess.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_AppNullBackend : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsAndSaysOnceWhatIsUnavailable() {
        ChrometProcess app;
        ChrometProcess::Options options;
        options.environment = {u"QT_QPA_PLATFORM=offscreen"_s};
        QVERIFY(app.start(options));
        QVERIFY2(app.waitForLine(u"Chromet: launched"_s) >= 0,
                 qPrintable(app.lines().join(QLatin1Char('\n'))));
        const QStringList lines = app.lines();
        const QStringList unavailable = lines.filter(u"unavailable"_s);
        QCOMPARE(unavailable.size(), 1);
        QVERIFY2(unavailable.first().contains(u"\"offscreen\" platform"_s),
                 qPrintable(unavailable.first()));
        QVERIFY2(lines.filter(u"alert:"_s).isEmpty(), qPrintable(lines.join(QLatin1Char('\n'))));
        QVERIFY(app.isRunning());
    }
};

QTEST_GUILESS_MAIN(tst_AppNullBackend)
#include "tst_AppNullBackend.moc"
