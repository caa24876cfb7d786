#pragma once

#include "OrinSettings/TaskbarPresence.h"

#include <memory>

// How the application presents itself: a regular application whose windows are listed in the
// taskbar and window switchers, or an accessory that lives in the tray only and keeps its windows
// out of both.
enum class ActivationPolicy { regular, accessory };

// Switches the application between the two policies. The policy covers every top-level window
// but tool windows (floating panels, which stay out of the taskbar either way), popups and
// tooltips, those shown now and those shown later. The application starts as an accessory; nothing
// touches the windows until the policy is first applied. Main thread only.
class DockIcon {
public:
    DockIcon() = delete;

    static ActivationPolicy policy(bool visible) {
        return visible ? ActivationPolicy::regular : ActivationPolicy::accessory;
    }
    // Sets the policy for `visible` unless it is the current one already.
    static void apply(bool visible);

    static ActivationPolicy activationPolicy();
    static void setActivationPolicy(ActivationPolicy policy);

    // Replaces the platform's window listing (tests); null leaves windows untouched.
    static void setTaskbarPresence(std::unique_ptr<TaskbarPresence> presence);
};
