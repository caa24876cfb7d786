#include "Chromet/Onboarding/OnboardingSteps.h"

#include "Chromet/Onboarding/ScreenRecordingStep.h"
#include "Chromet/Onboarding/ShortcutStep.h"
#include "Chromet/Onboarding/WelcomeStep.h"
#include "Chromet/Picking/PermissionChecker.h"

namespace ChrometOnboarding {

QString windowTitle() {
    return QStringLiteral("Welcome to Chromet");
}

QString finishTitle() {
    return QStringLiteral("Start Using Chromet");
}

QList<OnboardingStep> steps(const QString &hotKey, PermissionChecker *permission) {
    return {
        {QStringLiteral("welcome"), [] { return new WelcomeStep; }, {}},
        {QStringLiteral("screenRecording"),
         [permission] { return new ScreenRecordingStep(permission); },
         [permission] {
             return permission && permission->isGranted();
         }},
        {QStringLiteral("shortcut"), [hotKey] { return new ShortcutStep(hotKey); }, {}},
    };
}

} // namespace ChrometOnboarding
