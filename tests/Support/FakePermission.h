#pragma once

#include "Chromet/Picking/PermissionChecker.h"

#include <QList>

#include <utility>

using namespace Qt::StringLiterals;

// A permission whose answers the test sets, counting what was asked of it.
class FakePermission final : public PermissionChecker {
public:
    // Answered in turn, the last one staying; `granted` when there are none.
    QList<bool> answers;
    bool granted = false;
    // Whether the desktop has a setting for it.
    bool settings = true;
    int checks = 0;
    // When set, checks wait in `pending` until answerPending() answers them.
    bool answerLater = false;
    QList<Answer> pending;
    int requests = 0;
    int settingsOpened = 0;

    void check(Answer answer) override {
        ++checks;
        if (answerLater)
            pending.append(std::move(answer));
        else
            answer(nextAnswer());
    }
    // Answers the waiting checks in the order they were asked.
    void answerPending() {
        const QList<Answer> waiting = std::exchange(pending, {});
        for (const Answer &answer : waiting)
            answer(nextAnswer());
    }
    void request() override { ++requests; }
    bool hasSettings() const override { return settings; }
    void openSettings() override { ++settingsOpened; }
    QString deniedReason() const override { return u"The test denies it."_s; }

private:
    bool nextAnswer() {
        if (answers.isEmpty())
            return granted;
        return answers.size() > 1 ? answers.takeFirst() : answers.first();
    }
};
