#pragma once

#include <QString>

// What the build says about the application it belongs to: its name and versions, and the
// update configuration. A null string is a value the build did not set.
struct BundleInfo {
    QString name;
    // The version people read ("1.0") and the build number updates compare ("27").
    QString shortVersion;
    QString buildNumber;
    // The key update archives are signed with, and the address of the update feed. Both empty
    // in a build configured without updates.
    QString publicKey;
    QString feedUrl;

    // The running application's, fixed when this library is built.
    static BundleInfo main();

    // "1.0 (27)"; "dev" and "0" stand in for a version or build number the build did not set.
    QString versionText() const { return formatVersion(shortVersion, buildNumber); }
    // The same text for any version and build number; empty ones count as not set.
    static QString formatVersion(const QString &shortVersion, const QString &buildNumber);
};
