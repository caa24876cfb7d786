#pragma once

#include <QLoggingCategory>

// The module's one logging category, "orin.hotkey".
Q_DECLARE_LOGGING_CATEGORY(lcOrinHotkey)
