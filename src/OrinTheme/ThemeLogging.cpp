#include "OrinTheme/ThemeLogging.h"

Q_LOGGING_CATEGORY(lcOrinTheme, "orin.theme")
