#include "OrinSettings/SettingsAppInfo.h"

QString SettingsAppInfo::versionText() const {
    const QString version = shortVersion.isEmpty() ? QStringLiteral("dev") : shortVersion;
    const QString build = buildNumber.isEmpty() ? QStringLiteral("0") : buildNumber;
    return version + QStringLiteral(" (") + build + QStringLiteral(")");
}
