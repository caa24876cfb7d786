#pragma once

#include "OrinUpdates/BundleInfo.h"

#include <QString>
#include <QUrl>

// What the settings window and its About page know of the application; the application fills
// it in, so this module names no product.
struct SettingsAppInfo {
    // Short identifier, also the name of the autostart entry ("picker" -> picker.desktop).
    QString id;
    QString name;
    QString tagline;
    QUrl website;
    QUrl changelog;
    QUrl support;
    // Marketing version and build number; empty when the build did not say.
    QString shortVersion;
    QString buildNumber;

    // "1.4 (27)"; "dev" stands in for a missing version and "0" for a missing build number.
    QString versionText() const { return BundleInfo::formatVersion(shortVersion, buildNumber); }
};
