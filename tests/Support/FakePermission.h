#pragma once

#include "Chromet/Picking/PermissionChecker.h"

// A permission whose answer the test sets, counting what was asked of it.
class FakePermission : public PermissionChecker {
public:
    bool granted = false;
    mutable int checks = 0;
    int requests = 0;
    int settingsOpened = 0;

    bool isGranted() const override {
        ++checks;
        return granted;
    }
    void request() override { ++requests; }
    bool hasSettings() const override { return settings; }
    void openSettings() override { ++settingsOpened; }
    QString deniedReason() const override { return QStringLiteral("The test denies it."); }

    bool settings = true;
};
