#pragma once

#include <QLoggingCategory>

// The program's own log lines begin with "Chromet: "; the loupe has a category of its own so
// its timing lines can be switched on without the rest.
Q_DECLARE_LOGGING_CATEGORY(lcChromet)
Q_DECLARE_LOGGING_CATEGORY(lcLoupe)
