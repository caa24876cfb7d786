#include "OrinWayland/WaylandLogging.h"

Q_LOGGING_CATEGORY(lcOrinWayland, "orin.wayland")
