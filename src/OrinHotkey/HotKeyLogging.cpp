#include "OrinHotkey/HotKeyLogging.h"

Q_LOGGING_CATEGORY(lcOrinHotkey, "orin.hotkey")
