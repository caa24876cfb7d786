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

// The desktop's shortcut service: refuses chosen key codes, remembers what is registered.
struct ShortcutDesk {
    QSet<quint32> refused;
    QHash<HotKeyBackend::Ref, HotKeyCombo> registered;
    QList<HotKeyCombo> attempts;
    HotKeyBackend::Handler handler;
    HotKeyBackend::Ref nextRef = 1;
    bool canGrab = true;
};

class FakeBackend final : public HotKeyBackend {
public:
    explicit FakeBackend(ShortcutDesk &desk)
        : m_desk(desk) {}
    void installHandler(Handler h) override { m_desk.handler = std::move(h); }
    std::optional<Ref> registerHotKey(const HotKeyCombo &combo, HotKeyIdentifier) override {
        m_desk.attempts.append(combo);
        if (m_desk.refused.contains(combo.keyCode))
            return std::nullopt;
        const Ref ref = m_desk.nextRef++;
        m_desk.registered.insert(ref, combo);
        return ref;
    }
    void unregisterHotKey(Ref ref) override { m_desk.registered.remove(ref); }
    bool canGrabShortcuts() const override { return m_desk.canGrab; }

private:
    ShortcutDesk &m_desk;
};

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

class FakePermission final : public PermissionChecker {
public:
    // Answers in turn; the last answer stays.
    bool isGranted() const override {
        ++checks;
        return answers.size() > 1 ? answers.takeFirst() : answers.value(0, false);
    }
    void request() override {}
    bool hasSettings() const override { return settings; }
    void openSettings() override { ++settingsOpened; }
    QString deniedReason() const override { return QStringLiteral("The test denies it."); }

    mutable QList<bool> answers{true};
    bool settings = true;
    mutable int checks = 0;
    int settingsOpened = 0;
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
