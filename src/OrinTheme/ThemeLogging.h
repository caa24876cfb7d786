#pragma once

#include <QLoggingCategory>

// The module's one logging category, "orin.theme".
Q_DECLARE_LOGGING_CATEGORY(lcOrinTheme)
