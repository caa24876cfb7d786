#pragma once

#include "OrinOnboarding/OnboardingStep.h"

#include <QList>
#include <QSize>
#include <QString>

class PermissionChecker;

// The application's onboarding: a welcome, the permission to read the screen (blocked until it
// is granted) and the shortcut with the loupe's controls, in a window of its own.
namespace ChrometOnboarding {

inline constexpr QSize windowSize{500, 400};
QString windowTitle(); // "Welcome to Chromet"
QString finishTitle(); // "Start Using Chromet"

// "welcome", "screenRecording" (complete when the checker grants) and "shortcut" with the
// shortcut's displayed text, or the command for a desktop key binding where shortcuts cannot be
// grabbed. The checker must outlive the pages.
QList<OnboardingStep> steps(const QString &hotKey, PermissionChecker *permission,
                            bool canGrabShortcuts = true);

} // namespace ChrometOnboarding
