#include "OrinSettings/SettingsLogging.h"

Q_LOGGING_CATEGORY(lcOrinSettings, "orin.settings")
