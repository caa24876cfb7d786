// The update feed parser: any bytes give items or an error, and newest() is no older than any
// item.

#include "FuzzCheck.h"

#include "OrinSparkle/Appcast.h"
#include "OrinSparkle/VersionComparator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const Appcast feed =
        Appcast::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const AppcastItem &item : feed.items)
        (void)item.versionText();
    const auto newest = feed.newest();
    FUZZ_CHECK(newest.has_value() == !feed.items.isEmpty());
    if (newest) {
        for (const AppcastItem &item : feed.items)
            FUZZ_CHECK(compareVersions(item.version, newest->version) <= 0);
    }
    return 0;
}
