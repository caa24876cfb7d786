#include "OrinSparkle/Appcast.h"
#include "OrinSparkle/VersionComparator.h"

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
        QTest::newRow("html page")
            << QByteArray("<html><body>Not here</body></html>") << u"it is not an RSS feed"_s;
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
    void compare_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("expected");

        const auto row = [](const char *name, const QString &a, const char *b, int expected) {
            QTest::newRow(name) << a << QString::fromLatin1(b) << expected;
        };
        row("same build", u"27"_s, "27", 0);
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

    void compare() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, expected);
        const auto sign = [](int v) {
            return (v > 0) - (v < 0);
        };
        QCOMPARE(sign(compareVersions(a, b)), expected);
        QCOMPARE(sign(compareVersions(b, a)), -expected);
    }
};

QTEST_GUILESS_MAIN(tst_Appcast)
#include "tst_Appcast.moc"
