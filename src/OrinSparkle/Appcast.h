#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// One release in an update feed.
struct AppcastItem {
    QString title;
    // The build number compared with the running one, and the version people read.
    QString version;
    QString shortVersion;
    QUrl releaseNotesLink;
    // The release's web page (the item's <link>).
    QUrl link;

    // "1.1 (31)", or the build number alone when the feed gives no readable version.
    QString versionText() const;
};

// An RSS update feed: <rss><channel><item>... with the versions given as sparkle:version and
// sparkle:shortVersionString, either as attributes of the item's <enclosure> (which win) or as
// elements of the item, and the release notes as sparkle:releaseNotesLink.
struct Appcast {
    QList<AppcastItem> items;
    // Why the text is not a feed; empty when it parsed.
    QString error;

    static Appcast parse(const QByteArray &xml);

    // The item with the highest version; none when the feed lists none.
    std::optional<AppcastItem> newest() const;
};
