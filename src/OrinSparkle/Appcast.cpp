#include "OrinSparkle/Appcast.h"

#include "OrinSparkle/VersionComparator.h"

#include <QXmlStreamReader>

namespace {

constexpr QStringView sparkleNamespace = u"http://www.andymatuschak.org/xml-namespaces/sparkle";

bool isSparkle(QStringView namespaceUri, QStringView prefix) {
    return namespaceUri == sparkleNamespace || prefix == u"sparkle";
}

bool isSparkleElement(const QXmlStreamReader &xml, QStringView name) {
    return xml.name() == name && isSparkle(xml.namespaceUri(), xml.prefix());
}

QString sparkleAttribute(const QXmlStreamAttributes &attributes, QStringView name) {
    for (const QXmlStreamAttribute &attribute : attributes) {
        if (attribute.name() == name && isSparkle(attribute.namespaceUri(), attribute.prefix()))
            return attribute.value().toString().trimmed();
    }
    return {};
}

QUrl linkFrom(const QString &text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    return url.isValid() && !url.isRelative() ? url : QUrl();
}

// Reads one <item>, the reader standing on its start tag; leaves it on the end tag.
AppcastItem readItem(QXmlStreamReader &xml) {
    AppcastItem item;
    QString enclosureVersion;
    QString enclosureShortVersion;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"title" && xml.namespaceUri().isEmpty()) {
            item.title = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (xml.name() == u"link" && xml.namespaceUri().isEmpty()) {
            item.link = linkFrom(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        } else if (isSparkleElement(xml, u"version")) {
            item.version = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (isSparkleElement(xml, u"shortVersionString")) {
            item.shortVersion =
                xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (isSparkleElement(xml, u"releaseNotesLink")) {
            item.releaseNotesLink =
                linkFrom(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        } else if (xml.name() == u"enclosure" && xml.namespaceUri().isEmpty()) {
            enclosureVersion = sparkleAttribute(xml.attributes(), u"version");
            enclosureShortVersion = sparkleAttribute(xml.attributes(), u"shortVersionString");
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
    if (!enclosureVersion.isEmpty())
        item.version = enclosureVersion;
    if (!enclosureShortVersion.isEmpty())
        item.shortVersion = enclosureShortVersion;
    return item;
}

} // namespace

QString AppcastItem::versionText() const {
    if (shortVersion.isEmpty() || shortVersion == version)
        return version;
    return shortVersion + QStringLiteral(" (") + version + QStringLiteral(")");
}

Appcast Appcast::parse(const QByteArray &xml) {
    Appcast feed;
    QXmlStreamReader reader(xml);
    if (!reader.readNextStartElement()) {
        feed.error = reader.hasError() ? reader.errorString() : QStringLiteral("it is empty");
    } else if (reader.name() != u"rss") {
        feed.error = QStringLiteral("it is not an RSS feed");
    } else {
        while (reader.readNextStartElement()) {
            if (reader.name() != u"channel") {
                reader.skipCurrentElement();
                continue;
            }
            while (reader.readNextStartElement()) {
                if (reader.name() == u"item") {
                    AppcastItem item = readItem(reader);
                    // An item without a build number cannot be compared; it is not a release.
                    if (!item.version.isEmpty())
                        feed.items.append(item);
                } else {
                    reader.skipCurrentElement();
                }
            }
        }
        if (reader.hasError()) {
            feed.error =
                QStringLiteral("line %1: %2").arg(reader.lineNumber()).arg(reader.errorString());
        }
    }
    if (!feed.error.isEmpty())
        feed.items.clear();
    return feed;
}

std::optional<AppcastItem> Appcast::newest() const {
    std::optional<AppcastItem> newest;
    for (const AppcastItem &item : items) {
        if (!newest || compareVersions(item.version, newest->version) > 0)
            newest = item;
    }
    return newest;
}
