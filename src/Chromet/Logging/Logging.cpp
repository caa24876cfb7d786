#include "Chromet/Logging/Logging.h"

Q_LOGGING_CATEGORY(lcChromet, "chromet")
Q_LOGGING_CATEGORY(lcLoupe, "loupe")
