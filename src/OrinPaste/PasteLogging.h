#pragma once

#include <QLoggingCategory>

// The module's one logging category, "orin.paste".
Q_DECLARE_LOGGING_CATEGORY(lcOrinPaste)
