#pragma once

// Stand-ins for what the application delegate talks to: the desktop's shortcut service, the
// dialogs (answered from a script), the screen-recording permission, the window focus and the
// update service.

#include "Chromet/App/AppDelegate.h"
#include "Chromet/App/ModalPresenter.h"
#include "Chromet/Picking/PermissionChecker.h"
#include "OrinHotkey/HotKeyBackend.h"
#include "OrinHotkey/HotKeyCombo.h"
#include "OrinUpdates/Updater.h"
#include "Support/FakeHotKeyBackend.h"
#include "Support/FakePermission.h"

#include <QHash>
#include <QList>
#include <QSet>

#include <functional>
#include <optional>
#include <utility>

namespace {

constexpr HotKeyCombo ctrlAltC{8, 0x1800};
constexpr HotKeyCombo ctrlAltX{7, 0x1800};
constexpr HotKeyCombo ctrlAltV{9, 0x1800};

// Answers every dialog from a script and remembers what was shown. `during` runs while the
// next dialog is open, as the user's or the system's doing in the meantime.
class ScriptedPresenter final : public ModalPresenter {
public:
    int runAlert(const AlertSpec &alert) override {
        alerts.append(alert);
        runDuring();
        return alertAnswers.isEmpty() ? int(qMax<qsizetype>(alert.buttons.size(), 1)) - 1
                                      : alertAnswers.takeFirst();
    }
    std::optional<QString> promptForName(const NamePromptSpec &prompt) override {
        prompts.append(prompt);
        runDuring();
        return nameAnswers.isEmpty() ? std::nullopt : nameAnswers.takeFirst();
    }
    std::optional<QString> chooseSaveFile(const SaveFileSpec &save) override {
        saves.append(save);
        runDuring();
        return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.takeFirst();
    }

    QList<AlertSpec> alerts;
    QList<int> alertAnswers;
    QList<NamePromptSpec> prompts;
    QList<std::optional<QString>> nameAnswers;
    QList<SaveFileSpec> saves;
    QList<std::optional<QString>> saveAnswers;
    std::function<void()> during;

private:
    void runDuring() {
        if (auto run = std::exchange(during, {}))
            run();
    }
};

class FakeFocus final : public WindowFocus {
public:
    std::optional<WId> activeWindow() const override { return active; }
    void activate(WId window) override { activated.append(window); }

    std::optional<WId> active;
    QList<WId> activated;
};

class FakeUpdater final : public Updater {
public:
    bool isAvailable() const override { return available; }
    void checkForUpdates() override { ++checks; }

    bool available = true;
    int checks = 0;
};

} // namespace
