#pragma once

#include "Chromet/Picking/PermissionChecker.h"

// Compositors with the screen-copy protocol hand any client its outputs' images: granted while
// the connection lives and the protocol is offered, with nothing to ask or open.
class WaylandPermissionChecker final : public PermissionChecker {
public:
    void check(Answer answer) override;
    void request() override {}
    bool hasSettings() const override { return false; }
    void openSettings() override {}
    QString deniedReason() const override;
};
