#include "OrinUpdates/BundleInfo.h"
#include "OrinUpdates/LinkUpdater.h"

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

// Stands in for the desktop's default handler of https addresses.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }
};

class tst_LinkUpdater : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QDesktopServices::setUrlHandler("https", &m_catcher, "open"); }
    void cleanup() {
        QDesktopServices::unsetUrlHandler("https");
        m_catcher.opened.clear();
    }

    void checkOpensTheReleaseNotesEveryTime() {
        LinkUpdater updater(QUrl("https://example.org/changelog"));
        Updater &asInterface = updater;
        QVERIFY(!asInterface.isAvailable()); // no update command is offered
        asInterface.checkForUpdates();
        asInterface.checkForUpdates();
        QCOMPARE(m_catcher.opened, (QList<QUrl>{QUrl("https://example.org/changelog"),
                                                QUrl("https://example.org/changelog")}));
    }

    void versionText_data() {
        QTest::addColumn<QString>("shortVersion");
        QTest::addColumn<QString>("buildNumber");
        QTest::addColumn<QString>("expected");
        QTest::newRow("both") << u"1.4"_s << u"27"_s << u"1.4 (27)"_s;
        QTest::newRow("neither") << QString() << QString() << u"dev (0)"_s;
        QTest::newRow("no build number") << u"1.4"_s << QString() << u"1.4 (0)"_s;
        QTest::newRow("no version") << QString() << u"27"_s << u"dev (27)"_s;
        QTest::newRow("empty version") << u""_s << u"27"_s << u"dev (27)"_s;
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

private:
    UrlCatcher m_catcher;
};

QTEST_MAIN(tst_LinkUpdater)
#include "tst_LinkUpdater.moc"
