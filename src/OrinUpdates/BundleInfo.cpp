#include "OrinUpdates/BundleInfo.h"

namespace {

// The build passes the values as compile definitions; an undefined one stays null.
[[maybe_unused]] QString defined(const char *value) {
    return QString::fromUtf8(value);
}

} // namespace

BundleInfo BundleInfo::main() {
    BundleInfo info;
#ifdef ORIN_BUNDLE_NAME
    info.name = defined(ORIN_BUNDLE_NAME);
#endif
#ifdef ORIN_BUNDLE_SHORT_VERSION
    info.shortVersion = defined(ORIN_BUNDLE_SHORT_VERSION);
#endif
#ifdef ORIN_BUNDLE_BUILD_NUMBER
    info.buildNumber = defined(ORIN_BUNDLE_BUILD_NUMBER);
#endif
#ifdef ORIN_BUNDLE_PUBLIC_KEY
    info.publicKey = defined(ORIN_BUNDLE_PUBLIC_KEY);
#endif
#ifdef ORIN_BUNDLE_FEED_URL
    info.feedUrl = defined(ORIN_BUNDLE_FEED_URL);
#endif
    return info;
}

QString BundleInfo::formatVersion(const QString &shortVersion, const QString &buildNumber) {
    const QString version = shortVersion.isEmpty() ? QStringLiteral("dev") : shortVersion;
    const QString build = buildNumber.isEmpty() ? QStringLiteral("0") : buildNumber;
    return version + QStringLiteral(" (") + build + QStringLiteral(")");
}
