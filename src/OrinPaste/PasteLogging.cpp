#include "OrinPaste/PasteLogging.h"

Q_LOGGING_CATEGORY(lcOrinPaste, "orin.paste")
