// The library file decoder: any bytes decode or fail with a reason, and whatever decodes writes
// back to a file that reads as the same library, byte for byte on the second round.

#include "FuzzCheck.h"

#include "Chromet/Library/LibraryStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    const auto library = LibraryStore::decode(bytes, &error);
    if (!library) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    const auto written = LibraryStore::encode(*library);
    FUZZ_CHECK(written.has_value());
    const auto reread = LibraryStore::decode(*written);
    FUZZ_CHECK(reread.has_value());
    FUZZ_CHECK(LibraryStore::encode(*reread) == written);
    FUZZ_CHECK(reread->history.size() == library->history.size());
    FUZZ_CHECK(reread->palettes.size() == library->palettes.size());
    return 0;
}
