#pragma once

#include <QString>

#include <memory>

// Whether this program may read the screen, and how to ask for it. The delegate checks before
// every pick and after a failed capture; onboarding asks and polls. Main thread only; nothing
// reports an error: a check that cannot be made answers no.
class PermissionChecker {
public:
    virtual ~PermissionChecker() = default;

    // True when screen images can be captured now. Evaluated afresh on every call.
    virtual bool isGranted() const = 0;
    // Asks the desktop for the permission, where it has such a request.
    virtual void request() = 0;
    // Whether the desktop has a setting for the permission that openSettings() shows; without
    // one, nothing offers to open it.
    virtual bool hasSettings() const = 0;
    // Opens the desktop's settings where the permission is granted, where there is one.
    virtual void openSettings() = 0;
    // When isGranted() says no and there is no setting to change: why, as a sentence for the user.
    virtual QString deniedReason() const = 0;

    // The checker of PlatformBackend::kind().
    static std::unique_ptr<PermissionChecker> createDefault();
};
