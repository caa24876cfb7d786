#include "OrinUpdates/BundleInfo.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_BundleInfo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void versionText_data() {
        QTest::addColumn<QString>("shortVersion");
        QTest::addColumn<QString>("buildNumber");
        QTest::addColumn<QString>("expected");
        QTest::newRow("both") << u"1.4"_s << u"27"_s << u"1.4 (27)"_s;
        QTest::newRow("neither") << QString() << QString() << u"dev (0)"_s;
        QTest::newRow("no build number") << u"1.4"_s << QString() << u"1.4 (0)"_s;
        QTest::newRow("no version") << QString() << u"27"_s << u"dev (27)"_s;
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
