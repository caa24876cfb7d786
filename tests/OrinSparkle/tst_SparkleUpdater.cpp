#include "OrinSparkle/Appcast.h"
#include "OrinSparkle/SparkleUpdater.h"
#include "OrinSparkle/VersionComparator.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

QByteArray feed(const QByteArray &items) {
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><title>Updates</title><link>https://example.org/channel</link>)" +
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

// Serves one canned HTTP response on 127.0.0.1 to every request, and remembers the requests.
class FeedServer : public QTcpServer {
public:
    QList<QByteArray> requests; // the request heads

    FeedServer() {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                // Per connection, not per socket address: a new socket may reuse a deleted one's.
                auto head = std::make_shared<QByteArray>();
                connect(socket, &QTcpSocket::readyRead, this, [this, socket, head] {
                    if (head->contains("\r\n\r\n"))
                        return; // answered
                    *head += socket->readAll();
                    if (head->contains("\r\n\r\n")) {
                        requests.append(*head);
                        socket->write(m_response);
                        socket->disconnectFromHost();
                    }
                });
            }
        });
    }
    QString url() const { return u"http://127.0.0.1:%1/appcast.xml"_s.arg(serverPort()); }
    void respond(const QByteArray &body, int status = 200) {
        m_response = "HTTP/1.1 " + QByteArray::number(status) +
                     " Canned\r\nContent-Type: application/rss+xml\r\nContent-Length: " +
                     QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    }

private:
    QByteArray m_response;
};

} // namespace

// The feed updater: versions and feeds as data, then checks against a feed served on 127.0.0.1.
class tst_SparkleUpdater : public QObject {
    Q_OBJECT

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
    std::unique_ptr<FeedServer> m_server;

private Q_SLOTS:
    void init() {
        m_dialogs.clear();
        m_server = std::make_unique<FeedServer>();
        QVERIFY(m_server->listen(QHostAddress::LocalHost, 0));
    }
    void cleanup() { m_server.reset(); }

    void appcastDropsRelativeLinks() {
        const Appcast cast = Appcast::parse(
            feed("<item><sparkle:version>2</sparkle:version><link>notes.html</link>"
                 "<sparkle:releaseNotesLink>../notes</sparkle:releaseNotesLink></item>"));
        QVERIFY(cast.items.first().link.isEmpty());
        QVERIFY(cast.items.first().releaseNotesLink.isEmpty());
    }
    void appcastVersions_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QStringList>("versions");
        QTest::addColumn<QString>("newestText");
        QTest::newRow("as elements")
            << feed("<item><sparkle:version> 32 </sparkle:version>"
                    "<sparkle:shortVersionString>1.2</sparkle:shortVersionString></item>")
            << QStringList{"32"} << u"1.2 (32)"_s;
        // Without a readable version the build number alone is shown.
        QTest::newRow("enclosure wins over elements")
            << feed("<item><sparkle:version>30</sparkle:version>"
                    "<enclosure url=\"https://example.org/a\" sparkle:version=\"33\"/></item>")
            << QStringList{"33"} << u"33"_s;
        QTest::newRow("any prefix for the namespace")
            << QByteArray("<rss xmlns:s=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
                          "<channel><item><enclosure url=\"https://example.org/a\" "
                          "s:version=\"40\"/></item></channel></rss>")
            << QStringList{"40"} << u"40"_s;
        QTest::newRow("items without a version are not releases")
            << feed("<item><title>News</title><enclosure url=\"https://example.org/a\"/></item>"
                    "<item><sparkle:version>12</sparkle:version></item>")
            << QStringList{"12"} << u"12"_s;
        QTest::newRow("newest is the highest in any order")
            << feed("<item><sparkle:version>9</sparkle:version></item>"
                    "<item><sparkle:version>100</sparkle:version></item>"
                    "<item><sparkle:version>27</sparkle:version></item>")
            << QStringList{"9", "100", "27"} << u"100"_s;
    }
    void appcastVersions() {
        QFETCH(QByteArray, xml);
        QFETCH(QStringList, versions);
        QFETCH(QString, newestText);
        const Appcast cast = Appcast::parse(xml);
        QCOMPARE(cast.error, QString());
        QStringList found;
        for (const AppcastItem &item : cast.items)
            found.append(item.version);
        QCOMPARE(found, versions);
        QCOMPARE(cast.newest()->versionText(), newestText);
    }
    void compareVersions_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("expected");

        const auto row = [](const char *name, const QString &a, const char *b, int expected) {
            QTest::newRow(name) << a << QString::fromLatin1(b) << expected;
        };
        row("numbers, not text", u"103"_s, "27", 1);
        row("dotted numerically", u"1.10"_s, "1.9", 1);
        row("missing part is zero", u"1.0"_s, "1.0.0", 0);
        row("extra part counts", u"1.0.1"_s, "1.0", 1);
        row("leading zeros", u"1.02"_s, "1.2", 0);
        row("longer than 64 bits", u"123456789012345678901234567890"_s,
            "123456789012345678901234567889", 1);
        row("release after its beta", u"2.0"_s, "2.0b1", 1);
        row("beta 10 after beta 9", u"2.0b10"_s, "2.0b9", 1);
        row("rc after beta", u"2.0rc1"_s, "2.0b3", 1);
        row("beta of next after release", u"2.1b1"_s, "2.0", 1);
        row("surrounding spaces", u" 31 "_s, "31", 0);
        row("non-ASCII digit is not a number", QString::fromUtf8("\u0663"), "1", -1);
    }
    void compareVersions() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, expected);
        const auto sign = [](int v) {
            return (v > 0) - (v < 0);
        };
        QCOMPARE(sign(::compareVersions(a, b)), expected);
        QCOMPARE(sign(::compareVersions(b, a)), -expected);
    }

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
        m_server->respond(feed(release("31", "1.1")));
        auto updater =
            makeUpdater(bundle(url == u"LOCAL"_s ? m_server->url() : url, key), loopbackSeam);
        // Offered with a key and an address.
        QCOMPARE(updater->isAvailable(), key == u"bG9jYWwta2V5"_s && !url.isEmpty());
        updater->checkForUpdates();
        QCOMPARE(m_dialogs.size(), 1);
        QCOMPARE(m_dialogs[0].kind, UpdateDialog::Kind::failed);
        QCOMPARE(m_dialogs[0].text, text);
        QTest::qWait(100);
        QVERIFY(m_server->requests.isEmpty());
    }
    void checkFindsVersions_data() {
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
    void checkFindsVersions() {
        QFETCH(QByteArray, items);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(QString, link);
        m_server->respond(feed(items));
        const UpdateDialog dialog = check(bundle(m_server->url()));
        QCOMPARE(dialog.kind, link.isEmpty() ? UpdateDialog::Kind::upToDate
                                             : UpdateDialog::Kind::updateAvailable);
        QCOMPARE(dialog.title, title);
        QCOMPARE(dialog.text, text);
        QCOMPARE(QString(dialog.linkTitle + u' ' + dialog.link.toString()).trimmed(), link);
        QCOMPARE(m_server->requests.size(), 1);
        QVERIFY(m_server->requests[0].startsWith("GET /appcast.xml HTTP/1.1\r\n"));
    }
    void checkFails_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::newRow("not found")
            << QByteArray("gone") << 404 << u"The update server answered with HTTP status 404."_s;
        QTest::newRow("truncated") << QByteArray("<rss><channel><item><sparkle:version>3") << 200
                                   << u"The update feed could not be read: line "_s;
        QTest::newRow("not a feed")
            << QByteArray("<html><body>Hello</body></html>") << 200
            << u"The update feed could not be read: it is not an RSS feed."_s;
        QTest::newRow("no versions") << feed("<item><title>News</title></item>") << 200
                                     << u"The update feed lists no versions."_s;
        QTest::newRow("too large") << feed(QByteArray(1536 * 1024, ' ')) << 200
                                   << u"The update feed is larger than 1 MB."_s;
        QTest::newRow("unreachable")
            << QByteArray() << 0 << u"The update server could not be reached: "_s;
    }
    void checkFails() {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, text);
        QString url = m_server->url();
        m_server->respond(body, status);
        if (status == 0) {
            // A port that was just free and is closed again refuses the connection.
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
            url = u"http://127.0.0.1:%1/appcast.xml"_s.arg(closed.serverPort());
            closed.close();
        }
        const UpdateDialog dialog = check(bundle(url));
        QCOMPARE(dialog.kind, UpdateDialog::Kind::failed);
        QCOMPARE(dialog.title, "Could not check for updates");
        QVERIFY2(dialog.text.startsWith(text), qPrintable(dialog.text));
    }
    void secondCheckWhileOneRunsIsIgnored() {
        m_server->respond(feed(release("27", "1.0")));
        auto updater = makeUpdater(bundle(m_server->url()));
        updater->checkForUpdates();
        QVERIFY(updater->isChecking());
        updater->checkForUpdates();
        QTRY_COMPARE(m_dialogs.size(), 1);
        QVERIFY(!updater->isChecking());
        QTest::qWait(100);
        QCOMPARE(m_dialogs.size(), 1);
        QCOMPARE(m_server->requests.size(), 1);
    }
    // Background checks stay quiet about failures and the current version.
    void backgroundCheckSpeaksOnlyOfANewVersion() {
        m_server->respond("nope", 503);
        auto updater = makeUpdater(bundle(m_server->url()));
        QSignalSpy finished(updater.get(), &SparkleUpdater::checkFinished);
        updater->setCheckSchedule(0ms, 50ms);
        QTRY_VERIFY(finished.size() >= 1);
        m_server->respond(feed(release("27", "1.0")));
        const qsizetype failed = m_server->requests.size();
        QTRY_VERIFY(finished.size() >= failed + 1);
        QVERIFY(m_dialogs.isEmpty());
        m_server->respond(feed(release("31", "1.1")));
        QTRY_VERIFY(!m_dialogs.isEmpty());
        QCOMPARE(m_dialogs[0].kind, UpdateDialog::Kind::updateAvailable);
    }
};

QTEST_GUILESS_MAIN(tst_SparkleUpdater)
#include "tst_SparkleUpdater.moc"
