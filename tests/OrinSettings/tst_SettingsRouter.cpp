#include "OrinSettings/SettingsRouter.h"

#include <QSignalSpy>
#include <QTest>

// The selected page and the query: change signals only for new values, onChange after every
// page assignment.
class tst_SettingsRouter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pageSignalsOnlyForNewValues();
    void onChangeRunsForEveryAssignment();
    void querySignalsOnlyForNewValues();
};

void tst_SettingsRouter::pageSignalsOnlyForNewValues() {
    SettingsRouter router;
    QCOMPARE(router.page(), QStringLiteral("general"));
    QSignalSpy changed(&router, &SettingsRouter::pageChanged);
    router.setPage(QStringLiteral("general"));
    QCOMPARE(changed.count(), 0);
    router.setPage(QStringLiteral("about"));
    router.setPage(QStringLiteral("about"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().first().toString(), QStringLiteral("about"));
}

void tst_SettingsRouter::onChangeRunsForEveryAssignment() {
    SettingsRouter router;
    QStringList seen;
    router.onChange = [&](const QString &page) {
        seen.append(page);
    };
    router.setPage(QStringLiteral("general"));
    router.setPage(QStringLiteral("about"));
    router.setPage(QStringLiteral("about"));
    QCOMPARE(seen, (QStringList{"general", "about", "about"}));
}

void tst_SettingsRouter::querySignalsOnlyForNewValues() {
    SettingsRouter router;
    QSignalSpy changed(&router, &SettingsRouter::queryChanged);
    router.setQuery(QString());
    router.setQuery(QStringLiteral("d"));
    router.setQuery(QStringLiteral("d"));
    router.setQuery(QStringLiteral("do"));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(router.query(), QStringLiteral("do"));
}

QTEST_GUILESS_MAIN(tst_SettingsRouter)
#include "tst_SettingsRouter.moc"
