#include "OrinUpdates/BundleInfo.h"

#include <QTest>

class tst_BundleInfo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void versionText_data() {
        QTest::addColumn<QString>("shortVersion");
        QTest::addColumn<QString>("buildNumber");
        QTest::addColumn<QString>("expected");
        QTest::newRow("both") << "1.4"
                              << "27"
                              << "1.4 (27)";
        QTest::newRow("neither") << QString() << QString() << "dev (0)";
        QTest::newRow("no build number") << "1.4" << QString() << "1.4 (0)";
        QTest::newRow("no version") << QString() << "27"
                                    << "dev (27)";
    }

    void versionText() {
        QFETCH(QString, shortVersion);
        QFETCH(QString, buildNumber);
        QFETCH(QString, expected);
        BundleInfo info;
        info.shortVersion = shortVersion;
        info.buildNumber = buildNumber;
        QCOMPARE(info.versionText(), expected);
    }

    // The values come from the build's configuration, as this test's target was told them.
    void mainComesFromTheBuild() {
        const BundleInfo info = BundleInfo::main();
        QCOMPARE(info.name, QStringLiteral(EXPECTED_NAME));
        QCOMPARE(info.shortVersion, QStringLiteral(EXPECTED_SHORT_VERSION));
        QCOMPARE(info.buildNumber, QStringLiteral(EXPECTED_BUILD_NUMBER));
        QCOMPARE(info.publicKey, QStringLiteral(EXPECTED_PUBLIC_KEY));
        QCOMPARE(info.feedUrl, QStringLiteral(EXPECTED_FEED_URL));
    }
};

QTEST_GUILESS_MAIN(tst_BundleInfo)
#include "tst_BundleInfo.moc"
