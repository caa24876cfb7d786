// Version comparison must be an ordering, or the newest release depends on the feed's order:
// three versions per input, separated by newlines.

#include "FuzzCheck.h"

#include "OrinSparkle/VersionComparator.h"

#include <QStringList>

namespace {

int sign(int value) {
    return (value > 0) - (value < 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QStringList parts =
        QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size))
            .split(QLatin1Char('\n'));
    const QString a = parts.value(0), b = parts.value(1), c = parts.value(2);
    FUZZ_CHECK(compareVersions(a, a) == 0);
    const int ab = sign(compareVersions(a, b));
    const int bc = sign(compareVersions(b, c));
    const int ac = sign(compareVersions(a, c));
    FUZZ_CHECK(ab == -sign(compareVersions(b, a)));
    if (ab <= 0 && bc <= 0)
        FUZZ_CHECK(ac <= 0);
    if (ab == 0 && bc == 0)
        FUZZ_CHECK(ac == 0);
    return 0;
}
