#pragma once

#include "Chromet/App/MenuActions.h"
#include "Chromet/App/ModalPresenter.h"
#include "Chromet/App/PickCoordinator.h"
#include "Chromet/App/WindowFocus.h"
#include "Chromet/Picking/LoupeSupport.h"
#include "Chromet/Picking/PermissionChecker.h"
#include "Chromet/Picking/SnapshotCapturing.h"
#include "OrinHotkey/HotKeyCombo.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <qwindowdefs.h>

#include <functional>
#include <memory>
#include <optional>

class ContrastPanel;
struct CaptureResult;
class CopyFeedback;
class HotKey;
class LibraryCommands;
class LibraryStore;
class LoupeController;
class MainMenu;
class OnboardingWindowController;
class PortalColorPicker;
class Preferences;
class QMenu;
class SettingsWindowController;
class StatusItemController;
class Updater;

// The application's spine: builds every long-lived part at launch, registers the global shortcut
// (again whenever the preference changes), owns the tray icon and its menu's commands, the
// contrast checker, the onboarding and settings windows and the updater, starts picks and shows
// every alert through runModalActivated(). Holds no user data itself: the library lives in the
// store, the settings in Preferences. Main thread only.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    // What the delegate talks to. Anything left empty gets the desktop's own: the updater of this
    // build, the shared preferences, the X11 permission check, real dialogs, the X11 focus, the
    // system capturer and loupe support, the library file in the user's data folder and the
    // clipboard.
    struct Services {
        std::unique_ptr<Updater> updater;
        Preferences *prefs = nullptr;
        std::unique_ptr<PermissionChecker> permission;
        std::unique_ptr<ModalPresenter> presenter;
        std::unique_ptr<WindowFocus> focus;
        std::function<std::unique_ptr<SnapshotCapturing>()> makeCapturer;
        std::function<std::unique_ptr<LoupeSupport>()> makeLoupeSupport;
        // The desktop's color picker, used instead of the loupe where it is given; by default
        // where the platform cannot read the screen and the session's portal has one.
        std::function<std::unique_ptr<PortalColorPicker>()> makePortalPicker;
        // The desktop's color picker, taken instead of the loupe once the desktop has declined a
        // screenshot; by default the session portal's, where it has one.
        std::function<std::unique_ptr<PortalColorPicker>()> makeFallbackPicker;
        std::optional<QString> libraryPath;
        PickCoordinator::CopyText copyText;
        // Whether the desktop shows a system tray; QSystemTrayIcon's answer unless given.
        std::function<bool()> trayAvailable;
    };

    // Delay from the menu's "Pick Color" to the loupe, so the menu has closed first.
    static constexpr int menuPickDelayMs = 200;
    // How long a desktop may take to show its tray before Chromet goes on without one.
    static constexpr int trayGraceMs = 2000;

    explicit AppDelegate(QObject *parent = nullptr);
    explicit AppDelegate(Services services, QObject *parent = nullptr);
    ~AppDelegate() override;

    // The launch sequence: the taskbar policy, main menu, library (followed by the contrast
    // checker), coordinator, loupe, capture warm-up, shortcut and its change notification, tray
    // icon, copy feedback, and onboarding until it has been finished once. Call once, with the
    // event loop about to run.
    void applicationDidFinishLaunching();

    // Asks for prefs.hotKey unless it is the one registered (or asked for) already; the working
    // one stays until the new one is granted, and an answer to a request overtaken by a later
    // one is let go. When the desktop refuses it, logs "Chromet: could not register shortcut
    // Ctrl+Alt+C" and tells the user: a refused change restores the preference to the working
    // shortcut; a refusal at launch leaves the application without one (the menu's Pick Color
    // still works).
    void registerHotKey();
    // Begins a pick once the permission answers yes; ends the one that is showing; or, when the
    // screen cannot be read, shows the alert that says why (one at a time). With the desktop's
    // color picker, asks it instead, unless it is open; its color is acknowledged on the icon.
    void startPick();
    // Called with the color of the next pick, or nothing when it ends without one (cancelled, or
    // the screen cannot be read). Joins the pick that is showing, else begins one.
    using PickResult = std::function<void(const std::optional<PickedColor> &)>;
    void pickThen(PickResult done);
    // Fills the tray menu; the status item calls it each time the menu is about to open. A copy
    // feedback still playing is ended first, so the menu opens over the normal icon.
    void buildMenu(QMenu *menu);
    // The menu's commands as they are handed to a new build.
    MenuActions menuActions();

    // Runs a modal `body` (an alert, a name dialog, a save dialog) with this application in
    // front, then gives the focus back to the window that had it, unless that was one of ours or
    // one of our titled windows is still open.
    void runModalActivated(const std::function<void()> &body);
    // An alert through runModalActivated; the index of the chosen button.
    int runAlert(const AlertSpec &alert);
    // A name dialog through runModalActivated: the entered name without surrounding white space,
    // or nothing when cancelled or left blank.
    std::optional<QString> promptForName(const QString &title, const QString &message,
                                         const QString &defaultName, const QString &confirmTitle);

    // Opens the settings on a page ("general"), or on the last one shown when `page` is empty.
    // The window is made on first use and kept for the rest of the run.
    void openSettings(const QString &page = QString());
    // The onboarding window with the application's pages, made unless it is open already.
    void showOnboarding();
    // Onboarding's finish: remembers it, lets the window go and warms up the capture.
    void finishOnboarding();
    // Shows the contrast checker for the history, or hides it when it is showing.
    void toggleContrast();

    // Whether Chromet runs without a tray icon: the desktop showed none within trayGraceMs of the
    // launch, so the settings window (its General page offering Pick Color and Quit) is the way
    // in. The first such launch opens it and says why, once.
    bool isWithoutTray() const { return m_withoutTray; }
    // The alert of the first launch without a tray, for the desktop named by XDG_CURRENT_DESKTOP;
    // no `hotKey` where shortcuts cannot be grabbed.
    static AlertSpec noTrayAlert(const std::optional<HotKeyCombo> &hotKey,
                                 const QString &currentDesktop);

    // The screen-recording alert's texts for a permission that looks granted or not.
    static AlertSpec screenRecordingAlert(bool looksGranted);
    // What the user is told when the screen cannot be read: a capture's `error` (empty: the
    // check before a pick said no). The screen-recording alert where the desktop has a setting
    // for it; otherwise what failed and what helps, with no button but OK.
    static AlertSpec captureProblemAlert(const QString &error, bool hasSettings, bool looksGranted,
                                         const QString &deniedReason);

    // The tray's glyph: one tone with a halo, readable on dark and light panels.
    static QIcon statusIcon();
    // The application's own icon (the one installed for the desktop entry), for its windows,
    // dialogs and About page.
    static QIcon applicationIcon();

    Updater *updater() const { return m_updater.get(); }
    Preferences &prefs() const { return *m_prefs; }
    PermissionChecker &permission() const { return *m_permission; }
    ContrastPanel *contrastPanel() const { return m_contrastPanel.get(); }
    LibraryStore *store() const { return m_store.get(); }
    PickCoordinator *coordinator() const { return m_coordinator.get(); }
    LoupeController *loupe() const { return m_loupe.get(); }
    StatusItemController *statusItem() const { return m_statusItem.get(); }
    CopyFeedback *copyFeedback() const { return m_copyFeedback.get(); }
    LibraryCommands *commands() const { return m_commands.get(); }
    MainMenu *mainMenu() const { return m_mainMenu.get(); }
    HotKey *hotKey() const { return m_hotKey.get(); }
    std::optional<HotKeyCombo> registeredCombo() const { return m_registeredCombo; }
    bool permissionAlertShowing() const { return m_permissionAlertShowing; }
    OnboardingWindowController *onboarding() const;
    SettingsWindowController *settingsWindow() const { return m_settingsWindow.get(); }

private:
    // Shows the capture-problem alert unless one is showing, and opens the permission's settings
    // when the user asks. Used before a pick and after a failed capture.
    void presentCaptureProblem(const QString &error);
    void captureFailed(const CaptureResult &failure);
    // The desktop's answer to the request for `combo`.
    void hotKeyAnswered(const HotKeyCombo &combo, std::unique_ptr<HotKey> created);
    // The pick itself, once the permission is granted.
    void beginPick();
    void pickWithPortal();
    // Answers every pickThen() waiter.
    void finishWaiters(const std::optional<PickedColor> &color);
    // The first pick should not pay for setting up the capture (nor its windows).
    void warmUpCapture();
    // No tray to click: the settings window gets Pick Color and Quit; opened, and why said, once.
    void presentWithoutTray();
    bool isOwnWindow(WId window) const;
    bool hasVisibleTitledWindow() const;

    std::unique_ptr<Updater> m_updater;
    Preferences *m_prefs = nullptr;
    std::unique_ptr<PermissionChecker> m_permission;
    std::unique_ptr<ContrastPanel> m_contrastPanel;
    std::unique_ptr<ModalPresenter> m_presenter;
    std::unique_ptr<WindowFocus> m_focus;
    std::function<std::unique_ptr<SnapshotCapturing>()> m_makeCapturer;
    std::function<std::unique_ptr<LoupeSupport>()> m_makeLoupeSupport;
    std::function<std::unique_ptr<PortalColorPicker>()> m_makePortalPicker;
    std::function<std::unique_ptr<PortalColorPicker>()> m_makeFallbackPicker;
    std::optional<QString> m_libraryPath;
    PickCoordinator::CopyText m_copyText;

    std::unique_ptr<MainMenu> m_mainMenu;
    std::unique_ptr<LibraryStore> m_store;
    std::unique_ptr<PickCoordinator> m_coordinator;
    std::unique_ptr<LibraryCommands> m_commands;
    std::unique_ptr<LoupeController> m_loupe;
    std::unique_ptr<PortalColorPicker> m_portalPicker;
    std::unique_ptr<StatusItemController> m_statusItem;
    std::unique_ptr<CopyFeedback> m_copyFeedback;
    std::unique_ptr<HotKey> m_hotKey;
    std::optional<HotKeyCombo> m_registeredCombo;
    // The combination asked for and not answered yet, and the number of the latest request.
    std::optional<HotKeyCombo> m_requestedCombo;
    quint64 m_hotKeyRequest = 0;
    // A pick waits for the permission's answer; more requests meanwhile join it.
    bool m_checkingPermission = false;
    // Open while onboarding is; deleted later, as its finish runs inside its own closing.
    QPointer<OnboardingWindowController> m_onboarding;
    std::unique_ptr<SettingsWindowController> m_settingsWindow;
    bool m_permissionAlertShowing = false;
    QList<PickResult> m_pickWaiters;
    std::function<bool()> m_trayAvailable;
    bool m_withoutTray = false;
};
