#pragma once

#include <QLoggingCategory>

// The module's one logging category, "orin.wayland".
Q_DECLARE_LOGGING_CATEGORY(lcOrinWayland)
