// The stored shortcut: any bytes decode or not, and a decoded combination stores and reads back
// the same and can be shown.

#include "FuzzCheck.h"

#include "OrinHotkey/HotKeyCombo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const auto combo = HotKeyCombo::fromJsonBytes(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!combo)
        return 0;
    FUZZ_CHECK(HotKeyCombo::fromJsonBytes(combo->toJsonBytes()) == combo);
    FUZZ_CHECK(!combo->displayString().isEmpty());
    FUZZ_CHECK(!combo->keyCaps().isEmpty());
    return 0;
}
