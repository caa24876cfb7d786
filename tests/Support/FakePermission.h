#pragma once

#include "Chromet/Picking/PermissionChecker.h"

#include <QList>

// A permission whose answers the test sets, counting what was asked of it.
class FakePermission final : public PermissionChecker {
public:
    // Answered in turn, the last one staying; `granted` when there are none.
    mutable QList<bool> answers;
    bool granted = false;
    // Whether the desktop has a setting for it.
    bool settings = true;
    mutable int checks = 0;
    int requests = 0;
    int settingsOpened = 0;

    bool isGranted() const override {
        ++checks;
        if (answers.isEmpty())
            return granted;
        return answers.size() > 1 ? answers.takeFirst() : answers.first();
    }
    void request() override { ++requests; }
    bool hasSettings() const override { return settings; }
    void openSettings() override { ++settingsOpened; }
    QString deniedReason() const override { return QStringLiteral("The test denies it."); }
};
