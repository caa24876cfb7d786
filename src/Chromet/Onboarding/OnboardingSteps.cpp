#include "Chromet/Onboarding/OnboardingSteps.h"

#include "Chromet/Onboarding/ScreenRecordingStep.h"
#include "Chromet/Onboarding/ShortcutStep.h"
#include "Chromet/Onboarding/WelcomeStep.h"
#include "Chromet/Picking/PermissionChecker.h"

#include <memory>

namespace ChrometOnboarding {

QString windowTitle() {
    return QStringLiteral("Welcome to Chromet");
}

QString finishTitle() {
    return QStringLiteral("Start Using Chromet");
}

QList<OnboardingStep> steps(const QString &hotKey, PermissionChecker *permission,
                            bool canGrabShortcuts) {
    // The step is complete by the checker's latest answer; one question at a time.
    struct Answers {
        bool granted = false;
        bool asking = false;
    };
    const auto answers = std::make_shared<Answers>();
    return {
        {QStringLiteral("welcome"), [] { return new WelcomeStep; }, {}},
        {QStringLiteral("screenRecording"),
         [permission] { return new ScreenRecordingStep(permission); },
         [permission, answers] {
             if (permission && !answers->asking) {
                 answers->asking = true;
                 permission->check([answers](bool granted) {
                     answers->granted = granted;
                     answers->asking = false;
                 });
             }
             return answers->granted;
         }},
        {QStringLiteral("shortcut"),
         [hotKey, canGrabShortcuts] { return new ShortcutStep(hotKey, canGrabShortcuts); },
         {}},
    };
}

} // namespace ChrometOnboarding
