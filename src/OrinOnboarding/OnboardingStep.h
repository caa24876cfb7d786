#pragma once

#include <QString>

#include <functional>

class QWidget;

// One page of the onboarding pager.
struct OnboardingStep {
    // Stable identifier of the page.
    QString id;
    // Makes the page's view; called each time the page is shown, the pager owns what it returns.
    std::function<QWidget *()> content;
    // The page's completion test; a page without one never blocks.
    std::function<bool()> isComplete;

    // Has a completion test that answers no right now.
    bool isBlocked() const { return isComplete && !isComplete(); }
};
