#include "OrinSparkle/Appcast.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray feed(const QByteArray &items) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" "
           "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">\n"
           "  <channel>\n"
           "    <title>Updates</title>\n"
           "    <link>https://example.org/channel</link>\n" +
           items + "\n  </channel>\n</rss>\n";
}

} // namespace

class tst_Appcast : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void versionsOnTheEnclosure() {
        const Appcast cast = Appcast::parse(feed(
            "\n"
            "    <item>\n"
            "      <title>Version 1.1</title>\n"
            "      <link>https://example.org/download</link>\n"
            "      "
            "<sparkle:releaseNotesLink>https://example.org/notes/1.1</sparkle:releaseNotesLink>\n"
            "      <pubDate>Mon, 02 Jun 2025 10:00:00 +0000</pubDate>\n"
            "      <enclosure url=\"https://example.org/app-1.1.tar.gz\" length=\"1234\"\n"
            "                 type=\"application/octet-stream\" sparkle:version=\"31\"\n"
            "                 sparkle:shortVersionString=\"1.1\" "
            "sparkle:edSignature=\"c2lnbmF0dXJl\"/>\n"
            "    </item>"));
        QCOMPARE(cast.error, QString());
        QCOMPARE(cast.items.size(), 1);
        const AppcastItem &item = cast.items.first();
        QCOMPARE(item.title, "Version 1.1");
        QCOMPARE(item.version, "31");
        QCOMPARE(item.shortVersion, "1.1");
        QCOMPARE(item.releaseNotesLink, QUrl("https://example.org/notes/1.1"));
        QCOMPARE(item.link, QUrl("https://example.org/download"));
        QCOMPARE(item.versionText(), "1.1 (31)");
    }

    void versions_data() {
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
        QTest::newRow("no items, no newest") << feed("") << QStringList{} << QString();
    }

    void versions() {
        QFETCH(QByteArray, xml);
        QFETCH(QStringList, versions);
        QFETCH(QString, newestText);
        const Appcast cast = Appcast::parse(xml);
        QCOMPARE(cast.error, QString());
        QStringList found;
        for (const AppcastItem &item : cast.items)
            found.append(item.version);
        QCOMPARE(found, versions);
        QCOMPARE(cast.newest() ? cast.newest()->versionText() : QString(), newestText);
    }

    void relativeLinksAreDropped() {
        const Appcast cast = Appcast::parse(
            feed("\n"
                 "    <item><sparkle:version>2</sparkle:version><link>notes.html</link>\n"
                 "      <sparkle:releaseNotesLink>../notes</sparkle:releaseNotesLink></item>"));
        QCOMPARE(cast.items.size(), 1);
        QVERIFY(cast.items.first().link.isEmpty());
        QVERIFY(cast.items.first().releaseNotesLink.isEmpty());
    }

    void malformed_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("errorStart");
        QTest::newRow("empty") << QByteArray() << u""_s;
        QTest::newRow("truncated")
            << QByteArray("<rss><channel><item><sparkle:version>3") << u"line "_s;
        QTest::newRow("unclosed tag")
            << feed("<item><sparkle:version>3</sparkle:version></channel>") << u"line "_s;
        QTest::newRow("html page")
            << QByteArray("<html><body>Not here</body></html>") << u"it is not an RSS feed"_s;
        QTest::newRow("plain text") << QByteArray("Service unavailable") << u""_s;
    }

    void malformed() {
        QFETCH(QByteArray, xml);
        QFETCH(QString, errorStart);
        const Appcast cast = Appcast::parse(xml);
        QVERIFY(!cast.error.isEmpty());
        QVERIFY2(cast.error.startsWith(errorStart), qPrintable(cast.error));
        QVERIFY(cast.items.isEmpty());
        QVERIFY(!cast.newest());
    }
};

QTEST_GUILESS_MAIN(tst_Appcast)
#include "tst_Appcast.moc"
