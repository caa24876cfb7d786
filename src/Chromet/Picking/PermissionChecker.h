#pragma once

#include <QString>

#include <functional>
#include <memory>

// Whether this program may read the screen, and how to ask for it. The delegate checks before
// every pick and after a failed capture; onboarding asks and polls. Main thread only; nothing
// reports an error: a check that cannot be made answers no.
class PermissionChecker {
public:
    using Answer = std::function<void(bool granted)>;

    virtual ~PermissionChecker() = default;

    // Whether screen images can be captured now, evaluated afresh on every call. `answer` runs
    // before this returns or on a later turn (a desktop portal asks its service): callers expect
    // either and capture their owner weakly. A checker destroyed first never answers.
    virtual void check(Answer answer) = 0;
    // Asks the desktop for the permission, where it has such a request.
    virtual void request() = 0;
    // Whether the desktop has a setting for the permission that openSettings() shows; without
    // one, nothing offers to open it.
    virtual bool hasSettings() const = 0;
    // Opens the desktop's settings where the permission is granted, where there is one.
    virtual void openSettings() = 0;
    // When check() says no and there is no setting to change: why, as a sentence for the user.
    virtual QString deniedReason() const = 0;

    // The checker of PlatformBackend::kind().
    static std::unique_ptr<PermissionChecker> createDefault();
};
