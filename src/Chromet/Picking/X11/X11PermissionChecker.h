#pragma once

#include "Chromet/Picking/PermissionChecker.h"

// X11 has no screen-reading permission: any client may read the root window. The check is
// whether it actually can, over Qt's X connection; without one (another platform, no X server)
// the answer is no. There is nothing to request and no settings to open.
class X11PermissionChecker : public PermissionChecker {
public:
    // A 1 x 1 GetImage of the first screen's root window succeeds.
    bool isGranted() const;
    // Answers at once, with isGranted().
    void check(Answer answer) override { answer(isGranted()); }
    void request() override {}
    bool hasSettings() const override { return false; }
    void openSettings() override {}
    QString deniedReason() const override;
};
