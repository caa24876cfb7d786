#include "OrinSparkle/SparkleUpdater.h"

#include "FeedServer.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace std::chrono_literals;

namespace {

QByteArray feedWith(const QByteArray &items) {
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><title>Updates</title>)" +
           items + "</channel></rss>\n";
}

QByteArray release(const QByteArray &build, const QByteArray &version,
                   const QByteArray &notes = "https://example.org/notes") {
    return "<item><title>Version " + version + "</title><link>https://example.org/download</link>" +
           "<sparkle:releaseNotesLink>" + notes + "</sparkle:releaseNotesLink>" +
           "<enclosure url=\"https://example.org/app.tar.gz\" sparkle:version=\"" + build +
           "\" sparkle:shortVersionString=\"" + version + "\" length=\"10\"/></item>";
}

BundleInfo bundle(const QString &feedUrl, const QString &key = u"bG9jYWwta2V5"_s) {
    return {u"Chromet"_s, u"1.0"_s, u"27"_s, key, feedUrl};
}

} // namespace

class tst_SparkleUpdater : public QObject {
    Q_OBJECT

private:
    // An updater on the given bundle whose dialogs land in m_dialogs, with background checks
    // out of the way.
    std::unique_ptr<SparkleUpdater> makeUpdater(const BundleInfo &info, bool loopback = true) {
        auto updater = std::make_unique<SparkleUpdater>(info);
        updater->setPresenter([this](const UpdateDialog &dialog) { m_dialogs.append(dialog); });
        updater->setAllowsLoopbackHttpForTesting(loopback);
        updater->setCheckSchedule(24h, 24h);
        return updater;
    }

    // Runs one user check against the server and answers its dialog.
    UpdateDialog check(const BundleInfo &info) {
        auto updater = makeUpdater(info);
        updater->checkForUpdates();
        if (!QTest::qWaitFor([this] { return !m_dialogs.isEmpty(); }, 10000))
            return {UpdateDialog::Kind::failed, "no dialog", {}, {}, {}};
        return m_dialogs.first();
    }

    QList<UpdateDialog> m_dialogs;
    FeedServer *m_server = nullptr;

private Q_SLOTS:
    void init() {
        m_dialogs.clear();
        m_server = new FeedServer(this);
        QVERIFY(m_server->listen());
    }
    void cleanup() { delete m_server; }

    // A build without a key or an HTTPS feed fetches nothing; a check asked for says why.
    void refusesToCheck_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("url"); // LOCAL: the test server over plain HTTP
        QTest::addColumn<bool>("loopbackSeam");
        QTest::addColumn<QString>("text");
        const QString key = u"bG9jYWwta2V5"_s;
        const QString notSetUp = u"This build is not set up to check for updates."_s;
        const QString notHttps = u"The update feed address is not an HTTPS address."_s;
        QTest::newRow("no key") << u""_s << u"LOCAL"_s << true << notSetUp;
        QTest::newRow("placeholder key")
            << u"REPLACE_WITH_YOUR_PUBLIC_KEY"_s << u"LOCAL"_s << true << notSetUp;
        QTest::newRow("no address")
            << key << u""_s << true << u"This build has no update feed address."_s;
        QTest::newRow("http without the test seam") << key << u"LOCAL"_s << false << notHttps;
        QTest::newRow("http to another host")
            << key << u"http://example.org/appcast.xml"_s << true << notHttps;
    }
    void refusesToCheck() {
        QFETCH(QString, key);
        QFETCH(QString, url);
        QFETCH(bool, loopbackSeam);
        QFETCH(QString, text);
        m_server->respond(feedWith(release("31", "1.1")));
        auto updater =
            makeUpdater(bundle(url == u"LOCAL"_s ? m_server->url() : url, key), loopbackSeam);
        // Started with a key; offered with a key and an address.
        QCOMPARE(updater->isStarted(), key == u"bG9jYWwta2V5"_s);
        QCOMPARE(updater->isAvailable(), updater->isStarted() && !url.isEmpty());
        updater->checkForUpdates();
        QCOMPARE(m_dialogs.size(), 1);
        QCOMPARE(m_dialogs[0].kind, UpdateDialog::Kind::failed);
        QCOMPARE(m_dialogs[0].title, "Could not check for updates");
        QCOMPARE(m_dialogs[0].text, text);
        QTest::qWait(100);
        QVERIFY(m_server->requests.isEmpty());
    }

    void versions_data() {
        QTest::addColumn<QByteArray>("items");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("link");
        const QString available = u"A new version of Chromet is available"_s;
        QTest::newRow("newer") << release("27", "1.0") + release("31", "1.1") << available
                               << "Chromet 1.1 (31) is available; you have 1.0 (27)."
                               << "Show Release Notes https://example.org/notes";
        QTest::newRow("same") << release("27", "1.0") << u"Chromet is up to date"_s
                              << u"Chromet 1.0 (27) is the newest version."_s << u""_s;
        QTest::newRow("no notes") << QByteArray("<item><link>https://example.org/download</link>"
                                                "<sparkle:version>40</sparkle:version></item>")
                                  << available << "Chromet 40 is available; you have 1.0 (27)."
                                  << "Open Download Page https://example.org/download";
        // Only web links are offered.
        QTest::newRow("file notes") << release("31", "1.1", "file:///etc/passwd") << available
                                    << "Chromet 1.1 (31) is available; you have 1.0 (27)."
                                    << "Open Download Page https://example.org/download";
    }
    void versions() {
        QFETCH(QByteArray, items);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(QString, link);
        m_server->respond(feedWith(items));
        const UpdateDialog dialog = check(bundle(m_server->url()));
        QCOMPARE(dialog.kind, link.isEmpty() ? UpdateDialog::Kind::upToDate
                                             : UpdateDialog::Kind::updateAvailable);
        QCOMPARE(dialog.title, title);
        QCOMPARE(dialog.text, text);
        QCOMPARE(QString(dialog.linkTitle + u' ' + dialog.link.toString()).trimmed(), link);
        QCOMPARE(m_server->requests.size(), 1);
        QVERIFY(m_server->requests[0].startsWith("GET /appcast.xml HTTP/1.1\r\n"));
    }

    void failures_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::newRow("not found")
            << QByteArray("gone") << 404 << u"The update server answered with HTTP status 404."_s;
        QTest::newRow("malformed feed")
            << QByteArray("<rss><channel><item><sparkle:version>31</item>") << 200
            << u"The update feed could not be read: line 1: "_s;
        QTest::newRow("not a feed")
            << QByteArray("<html><body>Hello</body></html>") << 200
            << u"The update feed could not be read: it is not an RSS feed."_s;
        QTest::newRow("no versions") << feedWith("<item><title>News</title></item>") << 200
                                     << u"The update feed lists no versions."_s;
        QTest::newRow("too large") << feedWith(QByteArray(1536 * 1024, ' ')) << 200
                                   << u"The update feed is larger than 1 MB."_s;
    }

    void failures() {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, text);
        m_server->respond(body, status);
        const UpdateDialog dialog = check(bundle(m_server->url()));
        QCOMPARE(dialog.kind, UpdateDialog::Kind::failed);
        QCOMPARE(dialog.title, "Could not check for updates");
        QVERIFY2(dialog.text.startsWith(text), qPrintable(dialog.text));
    }

    void unreachableServer() {
        // A port that was just free and is closed again refuses the connection.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 port = closed.serverPort();
        closed.close();
        const UpdateDialog dialog = check(bundle(u"http://127.0.0.1:%1/appcast.xml"_s.arg(port)));
        QCOMPARE(dialog.kind, UpdateDialog::Kind::failed);
        QVERIFY2(dialog.text.startsWith("The update server could not be reached: "),
                 qPrintable(dialog.text));
        QVERIFY2(dialog.text.contains("refused", Qt::CaseInsensitive), qPrintable(dialog.text));
    }

    void secondCheckWhileOneRunsIsIgnored() {
        m_server->respond(feedWith(release("27", "1.0")));
        auto updater = makeUpdater(bundle(m_server->url()));
        updater->checkForUpdates();
        QVERIFY(updater->isChecking());
        updater->checkForUpdates();
        QTRY_COMPARE(m_dialogs.size(), 1);
        QVERIFY(!updater->isChecking());
        QTest::qWait(100);
        QCOMPARE(m_dialogs.size(), 1);
        QCOMPARE(m_server->requests.size(), 1);
        // A later check fetches afresh.
        updater->checkForUpdates();
        QTRY_COMPARE(m_dialogs.size(), 2);
        QCOMPARE(m_server->requests.size(), 2);
    }

    void backgroundCheckSpeaksOnlyOfANewVersion() {
        m_server->respond(feedWith(release("27", "1.0")));
        auto updater = makeUpdater(bundle(m_server->url()));
        QSignalSpy finished(updater.get(), &SparkleUpdater::checkFinished);
        updater->setCheckSchedule(10ms, 50ms);
        QTRY_VERIFY(finished.size() >= 2);
        QVERIFY(m_dialogs.isEmpty());

        m_server->respond(feedWith(release("31", "1.1")));
        QTRY_VERIFY(!m_dialogs.isEmpty());
        QCOMPARE(m_dialogs[0].kind, UpdateDialog::Kind::updateAvailable);
    }

    void backgroundFailureIsNotShownButAUserCheckIs() {
        m_server->respond("nope", 503);
        auto updater = makeUpdater(bundle(m_server->url()));
        QSignalSpy finished(updater.get(), &SparkleUpdater::checkFinished);
        updater->setCheckSchedule(0ms, 24h);
        QTRY_COMPARE(finished.size(), 1);
        QVERIFY(m_dialogs.isEmpty());
        updater->checkForUpdates();
        QTRY_COMPARE(m_dialogs.size(), 1);
        QCOMPARE(m_dialogs[0].text, "The update server answered with HTTP status 503.");
    }
};

QTEST_GUILESS_MAIN(tst_SparkleUpdater)
#include "tst_SparkleUpdater.moc"
