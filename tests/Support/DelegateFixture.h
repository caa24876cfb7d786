#pragma once

// The application delegate on stand-ins for what it talks to: the desktop's shortcut service, the
// dialogs (answered from a script), the screen-recording permission, the window focus and the
// update service, with its files in a temporary folder.

#include "Chromet/App/AppDelegate.h"
#include "Chromet/App/ModalPresenter.h"
#include "Chromet/App/Preferences.h"
#include "Chromet/Picking/PermissionChecker.h"
#include "Chromet/Picking/Portal/PortalColorPicker.h"
#include "OrinHotkey/HotKeyBackend.h"
#include "OrinHotkey/HotKeyCombo.h"
#include "OrinSettings/DockIcon.h"
#include "OrinUpdates/Updater.h"
#include "Support/FakeHotKeyBackend.h"
#include "Support/FakePermission.h"
#include "Support/SyntheticSnapshotCapturer.h"

#include <QList>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

constexpr HotKeyCombo ctrlAltC{8, 0x1800};
constexpr HotKeyCombo ctrlAltX{7, 0x1800};
constexpr HotKeyCombo ctrlAltV{9, 0x1800};

// Answers every dialog from a script and remembers what was shown; an alert without an answer
// gets its last button. `during` runs while the next dialog is open, as the user's or the
// system's doing in the meantime.
class ScriptedPresenter final : public ModalPresenter {
public:
    int runAlert(const AlertSpec &alert) override {
        return next(alerts, alert, alertAnswers, int(qMax<qsizetype>(alert.buttons.size(), 1)) - 1);
    }
    std::optional<QString> promptForName(const NamePromptSpec &prompt) override {
        return next(prompts, prompt, nameAnswers, std::optional<QString>());
    }
    std::optional<QString> chooseSaveFile(const SaveFileSpec &save) override {
        return next(saves, save, saveAnswers, std::optional<QString>());
    }

    QList<AlertSpec> alerts;
    QList<int> alertAnswers;
    QList<NamePromptSpec> prompts;
    QList<std::optional<QString>> nameAnswers;
    QList<SaveFileSpec> saves;
    QList<std::optional<QString>> saveAnswers;
    std::function<void()> during;

private:
    template <typename Dialog, typename Answer>
    Answer next(QList<Dialog> &shown, const Dialog &dialog, QList<Answer> &answers,
                Answer otherwise) {
        shown.append(dialog);
        if (auto run = std::exchange(during, {}))
            run();
        return answers.isEmpty() ? otherwise : answers.takeFirst();
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

// Base of the delegate tests: call setUpDelegate() in init() and tearDownDelegate() in cleanup().
class DelegateFixture : public QObject {
protected:
    void setUpDelegate() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_prefs = std::make_unique<Preferences>(m_dir->filePath(u"Chromet.conf"_s));
        m_desk = ShortcutDesk{};
        HotKey::setBackend(std::make_unique<FakeHotKeyBackend>(m_desk));
        m_copied.clear();
        m_makePortalPicker = nullptr;
        m_makeFallbackPicker = nullptr;
        m_trayAvailable = true;
        m_trayQuestions = 0;
        // The policy is the application's; no window of these tests is listed anywhere.
        DockIcon::setTaskbarPresence(nullptr);
        DockIcon::setActivationPolicy(ActivationPolicy::accessory);
    }
    void tearDownDelegate() {
        m_delegate.reset();
        HotKey::setBackend(nullptr);
        m_prefs.reset();
        m_dir.reset();
    }
    AppDelegate &makeDelegate(bool onboarded = true) {
        if (onboarded)
            m_prefs->setHasCompletedOnboarding(true);
        AppDelegate::Services services;
        services.updater = own(m_updater);
        services.prefs = m_prefs.get();
        services.permission = own(m_permission);
        m_permission->granted = true;
        services.presenter = own(m_presenter);
        services.focus = own(m_focus);
        services.makeCapturer = [this] {
            return own(m_capturer);
        };
        services.makePortalPicker = m_makePortalPicker;
        services.makeFallbackPicker = m_makeFallbackPicker;
        services.libraryPath = m_dir->filePath(u"library.json"_s);
        services.copyText = [this](const QString &text) {
            m_copied.append(text);
        };
        services.trayAvailable = [this] {
            ++m_trayQuestions;
            return m_trayAvailable;
        };
        m_delegate = std::make_unique<AppDelegate>(std::move(services));
        return *m_delegate;
    }
    AppDelegate &launched(bool onboarded = true) {
        makeDelegate(onboarded).applicationDidFinishLaunching();
        return *m_delegate;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_prefs;
    ShortcutDesk m_desk;
    ScriptedPresenter *m_presenter = nullptr;
    FakePermission *m_permission = nullptr;
    FakeFocus *m_focus = nullptr;
    FakeUpdater *m_updater = nullptr;
    SyntheticSnapshotCapturer *m_capturer = nullptr;
    std::function<std::unique_ptr<PortalColorPicker>()> m_makePortalPicker;
    std::function<std::unique_ptr<PortalColorPicker>()> m_makeFallbackPicker;
    QStringList m_copied;
    bool m_trayAvailable = true;
    int m_trayQuestions = 0;
    std::unique_ptr<AppDelegate> m_delegate;

private:
    // A new double handed to the delegate, remembered in `raw`.
    template <typename T> static std::unique_ptr<T> own(T *&raw) {
        auto made = std::make_unique<T>();
        raw = made.get();
        return made;
    }
};
