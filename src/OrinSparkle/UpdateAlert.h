#pragma once

#include "OrinSparkle/UpdateDialog.h"

// Shows an update check's outcome in a message box of its own and returns at once; its link
// button opens the link with the desktop's default handler.
void showUpdateAlert(const UpdateDialog &dialog);
