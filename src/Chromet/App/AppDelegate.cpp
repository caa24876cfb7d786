#include "Chromet/App/AppDelegate.h"

#include "Chromet/App/CopyFeedback.h"
#include "Chromet/App/DialogModalPresenter.h"
#include "Chromet/App/LibraryCommands.h"
#include "Chromet/App/MenuSettings.h"
#include "Chromet/App/NotificationCenter.h"
#include "Chromet/App/Preferences.h"
#include "Chromet/App/StatusMenu.h"
#include "Chromet/App/WindowFocus.h"
#include "Chromet/Contrast/ContrastPanel.h"
#include "Chromet/Library/LibraryStore.h"
#include "Chromet/Logging/Logging.h"
#include "Chromet/Onboarding/OnboardingSteps.h"
#include "Chromet/Picking/LoupeController.h"
#include "Chromet/Picking/PermissionChecker.h"
#include "Chromet/Picking/Portal/PortalColorPicker.h"
#include "Chromet/Picking/ReduceMotion.h"
#include "Chromet/Picking/SnapshotCapturing.h"
#include "Chromet/Picking/SystemSnapshotCapturer.h"
#include "Chromet/Settings/ChrometSettings.h"
#include "Chromet/Settings/TraylessSection.h"
#include "OrinHotkey/HotKey.h"
#include "OrinMenuBar/MainMenu.h"
#include "OrinMenuBar/StatusItemController.h"
// OnboardingWindowController.h returns its view through a QPointer, which needs the full type.
#include "OrinOnboarding/OnboardingView.h"
#include "OrinOnboarding/OnboardingWindowController.h"
#include "OrinPanel/FloatingPanelController.h"
#include "OrinPaste/PasteService.h"
#include "OrinPlatform/PlatformBackend.h"
#include "OrinSettings/DockIcon.h"
#include "OrinSettings/SettingsWindow.h"
#include "OrinSettings/SettingsWindowController.h"
#include "OrinSparkle/SparkleUpdater.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

// The icon is compiled into this static library; make sure the linker keeps it.
static void initResources() {
    Q_INIT_RESOURCE(chromet);
}

namespace {

const QString appName = QStringLiteral("Chromet");

} // namespace

AppDelegate::AppDelegate(QObject *parent)
    : AppDelegate(Services{}, parent) {
}

AppDelegate::AppDelegate(Services services, QObject *parent)
    : QObject(parent)
    , m_updater(services.updater ? std::move(services.updater) : std::make_unique<SparkleUpdater>())
    , m_prefs(services.prefs ? services.prefs : &Preferences::shared())
    , m_permission(services.permission ? std::move(services.permission)
                                       : PermissionChecker::createDefault())
    , m_contrastPanel(std::make_unique<ContrastPanel>())
    , m_presenter(services.presenter ? std::move(services.presenter)
                                     : std::make_unique<DialogModalPresenter>(applicationIcon()))
    , m_focus(services.focus ? std::move(services.focus) : WindowFocus::createDefault())
    , m_makeCapturer(services.makeCapturer ? std::move(services.makeCapturer)
                                           : std::function(makeSystemCapturer))
    , m_makeLoupeSupport(std::move(services.makeLoupeSupport))
    , m_makePortalPicker(services.makePortalPicker
                             ? std::move(services.makePortalPicker)
                             : std::function(PortalColorPicker::createForPlatform))
    , m_makeFallbackPicker(
          services.makeFallbackPicker
              ? std::move(services.makeFallbackPicker)
              : [] { return PortalColorPicker::create(QDBusConnection::sessionBus()); })
    , m_libraryPath(std::move(services.libraryPath))
    , m_copyText(services.copyText ? std::move(services.copyText)
                                   : PickCoordinator::CopyText(
                                         [](const QString &text) { PasteService::copy(text); }))
    , m_trayAvailable(services.trayAvailable
                          ? std::move(services.trayAvailable)
                          : std::function(QSystemTrayIcon::isSystemTrayAvailable)) {
}

AppDelegate::~AppDelegate() {
    // Windows first: the onboarding pages ask the permission checker, the settings the updater.
    delete m_onboarding.data();
    m_settingsWindow.reset();
    m_contrastPanel.reset();
}

OnboardingWindowController *AppDelegate::onboarding() const {
    return m_onboarding.data();
}

QIcon AppDelegate::statusIcon() {
    initResources();
    return QIcon(QStringLiteral(":/chromet/eyedropper.svg"));
}

QIcon AppDelegate::applicationIcon() {
    initResources();
    return QIcon(QStringLiteral(":/chromet/application.svg"));
}

void AppDelegate::applicationDidFinishLaunching() {
    QPointer<AppDelegate> self(this);

    // In the taskbar or in the tray only, before any window of ours is shown.
    DockIcon::apply(m_prefs->showDockIcon());
    // Read in the background, so the first animation does not wait for the desktop's answer.
    ReduceMotion::warmUp();

    // The standing commands every window of ours carries.
    m_mainMenu = MainMenu::make(appName, [self] {
        if (self)
            self->openSettings();
    });

    // The library, loaded from its file.
    m_store = std::make_unique<LibraryStore>(m_libraryPath.value_or(LibraryStore::defaultPath()));
    // An open contrast checker follows the history.
    m_store->setOnChange([self] {
        if (self && self->m_contrastPanel && self->m_store)
            self->m_contrastPanel->update(self->m_store->library().history);
    });

    // What a finished pick turns into.
    m_coordinator = std::make_unique<PickCoordinator>(*m_store, *m_prefs, m_copyText);

    // The tray menu's library and clipboard commands, with our dialogs and the icon's feedback.
    LibraryCommands::Dialogs dialogs;
    dialogs.promptForName = [self](const NamePromptSpec &prompt) -> std::optional<QString> {
        if (!self)
            return std::nullopt;
        return self->promptForName(prompt.title, prompt.message, prompt.defaultName,
                                   prompt.confirmTitle);
    };
    dialogs.runAlert = [self](const AlertSpec &alert) {
        return self ? self->runAlert(alert) : -1;
    };
    dialogs.chooseSaveFile = [self](const SaveFileSpec &save) -> std::optional<QString> {
        if (!self)
            return std::nullopt;
        std::optional<QString> path;
        self->runModalActivated([&] { path = self->m_presenter->chooseSaveFile(save); });
        return path;
    };
    m_commands =
        std::make_unique<LibraryCommands>(*m_store, *m_coordinator, m_copyText, std::move(dialogs),
                                          [self](const std::optional<RGB> &srgb) {
                                              if (self && self->m_copyFeedback)
                                                  self->m_copyFeedback->show(srgb);
                                          });

    // The loupe, labelling in the current preferences and giving the focus back after a pick.
    m_loupe = std::make_unique<LoupeController>(
        m_makeCapturer(), m_makeLoupeSupport ? m_makeLoupeSupport() : makeSystemLoupeSupport());
    m_loupe->setLabelFormat(
        [self] { return self ? self->m_prefs->defaultFormat() : ColorFormat::hex; });
    m_loupe->setLowercaseHex([self] { return self && self->m_prefs->lowercaseHex(); });
    m_loupe->setOnFailure([self](const CaptureResult &failure) {
        if (self)
            self->captureFailed(failure);
    });
    connect(m_loupe.get(), &LoupeController::closed, this, [this] {
        // A pick the desktop's picker took over tells its callers itself.
        if (!m_portalPicker)
            finishWaiters(std::nullopt);
    });
    m_portalPicker = m_makePortalPicker();

    warmUpCapture();

    // The global shortcut, now and whenever the preference is assigned.
    registerHotKey();
    connect(&NotificationCenter::instance(), &NotificationCenter::posted, this,
            [this](const QString &name) {
                if (name == Preferences::hotKeyChangedNotification)
                    registerHotKey();
            });

    // The tray icon; its menu is built afresh at every opening.
    m_statusItem =
        std::make_unique<StatusItemController>(statusIcon(), appName, [self](QMenu *menu) {
            if (self)
                self->buildMenu(menu);
        });

    // Copies from the menu are acknowledged on the icon.
    m_copyFeedback = std::make_unique<CopyFeedback>(m_statusItem.get());

    // Where no backend serves the desktop, say once what is missing and why.
    PlatformBackend::reportUnavailable();

    // A first launch introduces itself, once the tray icon is there to point at.
    if (!m_prefs->hasCompletedOnboarding())
        showOnboarding();
    if (!m_trayAvailable()) {
        // A panel started at login may offer its tray a moment after us.
        QTimer::singleShot(trayGraceMs, this, [self] {
            if (self && !self->m_trayAvailable())
                self->presentWithoutTray();
        });
    }
    qCInfo(lcChromet, "Chromet: launched");
}

void AppDelegate::presentWithoutTray() {
    m_withoutTray = true;
    qCInfo(lcChromet, "Chromet: no system tray; the settings window offers Pick Color and Quit");
    // A window made before this lacks the tray-less controls; the next opening makes it anew.
    if (m_settingsWindow &&
        !(m_settingsWindow->window() && m_settingsWindow->window()->isVisible()))
        m_settingsWindow.reset();
    if (m_prefs->hasSeenNoTrayNotice())
        return;
    // Once: later launches stay quiet, and a second start or the desktop entry opens the window.
    m_prefs->setHasSeenNoTrayNotice(true);
    openSettings(QStringLiteral("general"));
    runAlert(
        noTrayAlert(HotKey::canGrabShortcuts() ? std::optional(m_prefs->hotKey()) : std::nullopt,
                    qEnvironmentVariable("XDG_CURRENT_DESKTOP")));
}

AlertSpec AppDelegate::noTrayAlert(const std::optional<HotKeyCombo> &hotKey,
                                   const QString &currentDesktop) {
    AlertSpec alert;
    alert.messageText = QStringLiteral("No system tray found");
    alert.informativeText =
        QStringLiteral("Chromet keeps its settings window as the way in: pick with ") +
        (hotKey ? hotKey->displayString() + QStringLiteral(" or ") : QString()) +
        QStringLiteral("the window's Pick Color button, and quit there. ") +
        TraylessSection::trayHelp(currentDesktop);
    alert.buttons = {QStringLiteral("OK")};
    return alert;
}

void AppDelegate::warmUpCapture() {
    // Where the desktop's picker takes the picks, the loupe's windows and captures go unused.
    if (!m_loupe || m_portalPicker)
        return;
    const QPointer<AppDelegate> self(this);
    m_permission->check([self](bool granted) {
        if (self && granted && self->m_loupe)
            self->m_loupe->warmUp();
    });
}

void AppDelegate::registerHotKey() {
    const HotKeyCombo combo = m_prefs->hotKey();
    // Restoring the preference below posts the change notification again; this ends that call.
    if (m_registeredCombo && *m_registeredCombo == combo) {
        // Back to the working one: an answer still to come is of no use.
        ++m_hotKeyRequest;
        m_requestedCombo.reset();
        return;
    }
    if (m_requestedCombo && *m_requestedCombo == combo)
        return;

    if (!HotKey::canGrabShortcuts()) {
        // Nothing here can grab one: not a refusal by another app, and the platform layer has
        // said so once. The preference stays for a session that can.
        return;
    }

    QPointer<AppDelegate> self(this);
    m_requestedCombo = combo;
    const quint64 request = ++m_hotKeyRequest;
    HotKey::create(
        combo,
        [self] {
            if (self)
                self->startPick();
        },
        [self, request, combo](std::unique_ptr<HotKey> created) {
            // Gone or overtaken: a hot key that came too late is released as it goes.
            if (!self || request != self->m_hotKeyRequest)
                return;
            self->m_requestedCombo.reset();
            self->hotKeyAnswered(combo, std::move(created));
        });
}

void AppDelegate::hotKeyAnswered(const HotKeyCombo &combo, std::unique_ptr<HotKey> created) {
    if (created) {
        // The previous registration goes as it is replaced.
        m_hotKey = std::move(created);
        m_registeredCombo = combo;
        qCInfo(lcChromet, "Chromet: shortcut %s registered", qUtf8Printable(combo.displayString()));
        return;
    }

    const QString refused = combo.displayString();
    if (!HotKey::canGrabShortcuts()) {
        // The desktop stopped granting shortcuts while asked (its portal refused): no other app
        // is to blame, and the settings now show how to bind the pick command instead.
        qCInfo(lcChromet, "Chromet: the desktop grants no global shortcut; %s is not registered",
               qUtf8Printable(refused));
        return;
    }
    qCWarning(lcChromet, "Chromet: could not register shortcut %s", qUtf8Printable(refused));
    if (m_registeredCombo) {
        // The user has just chosen a shortcut that is taken: keep the working one.
        const HotKeyCombo kept = *m_registeredCombo;
        m_prefs->setHotKey(kept);
        runAlert({refused + QStringLiteral(" is already in use"),
                  QStringLiteral("Another app uses this shortcut, so Chromet kept ") +
                      kept.displayString() + QStringLiteral("."),
                  {}});
        return;
    }
    const int answer = runAlert(
        {refused + QStringLiteral(" is already in use by another app"),
         QStringLiteral(
             "Choose a different shortcut in Settings, or use Pick Color from the tray menu."),
         {QStringLiteral("Open Settings"), QStringLiteral("Later")}});
    if (answer == 0)
        openSettings(QStringLiteral("general"));
}

void AppDelegate::startPick() {
    if (m_portalPicker) {
        pickWithPortal();
        return;
    }
    if (!m_loupe)
        return;
    if (m_loupe->isShowing()) {
        // Starting again toggles: the showing pick ends without a color.
        m_loupe->start([](const PickedColor &) {});
        return;
    }
    if (m_checkingPermission)
        return;
    m_checkingPermission = true;
    const QPointer<AppDelegate> self(this);
    m_permission->check([self](bool granted) {
        if (!self)
            return;
        self->m_checkingPermission = false;
        if (!granted) {
            self->presentCaptureProblem(QString());
            self->finishWaiters(std::nullopt);
            return;
        }
        self->beginPick();
    });
}

void AppDelegate::beginPick() {
    if (!m_loupe || m_loupe->isShowing())
        return;
    QPointer<AppDelegate> self(this);
    m_loupe->start([self](const PickedColor &color) {
        // The loupe confirms in its own label; the tray icon's feedback is for menu commands.
        if (self && self->m_coordinator)
            self->m_coordinator->handlePick(color);
        if (self)
            self->finishWaiters(color);
    });
}

void AppDelegate::pickWithPortal() {
    if (m_portalPicker->isPicking())
        return;
    QPointer<AppDelegate> self(this);
    if (!m_prefs->hasSeenDesktopPickerNotice()) {
        // Once: the desktop's picker looks nothing like ours, so say why it appears.
        m_prefs->setHasSeenDesktopPickerNotice(true);
        runAlert({QStringLiteral("Chromet picks with your desktop's color picker"),
                  QStringLiteral("Your desktop doesn't let Chromet read the screen, so Chromet's "
                                 "loupe can't open. Click a color with the desktop's picker; "
                                 "Chromet adds it to the history and copies it as usual."),
                  {}});
        if (!self)
            return;
    }
    m_portalPicker->pick([self](const std::optional<PickedColor> &color) {
        if (!self)
            return;
        if (color && self->m_coordinator) {
            self->m_coordinator->handlePick(*color);
            // No loupe label confirms it: the icon does.
            if (self->m_copyFeedback)
                self->m_copyFeedback->show(color->srgb);
        }
        self->finishWaiters(color);
    });
}

void AppDelegate::pickThen(PickResult done) {
    if (!m_loupe) {
        done(std::nullopt);
        return;
    }
    m_pickWaiters.append(std::move(done));
    if (m_portalPicker || !m_loupe->isShowing())
        startPick();
}

void AppDelegate::finishWaiters(const std::optional<PickedColor> &color) {
    const QList<PickResult> waiters = std::exchange(m_pickWaiters, {});
    for (const PickResult &done : waiters)
        done(color);
}

AlertSpec AppDelegate::screenRecordingAlert(bool looksGranted) {
    AlertSpec alert;
    alert.messageText = QStringLiteral("Chromet needs Screen Recording to read colors");
    alert.informativeText =
        looksGranted
            ? QStringLiteral("Screen Recording looks on, but your desktop applies it only after "
                             "Chromet restarts. Quit and reopen Chromet. If it's off in Settings → "
                             "Apps → Chromet → Screenshots, turn it on first.")
            : QStringLiteral("Turn on Chromet in Settings → Apps → Chromet → Screenshots.");
    alert.buttons = {QStringLiteral("Open Settings"), QStringLiteral("Cancel")};
    return alert;
}

AlertSpec AppDelegate::captureProblemAlert(const QString &error, bool hasSettings,
                                           bool looksGranted, const QString &deniedReason) {
    if (hasSettings)
        return screenRecordingAlert(looksGranted);
    if (!looksGranted) {
        return {QStringLiteral("Chromet can't read the screen"),
                deniedReason.isEmpty() ? QStringLiteral("The screen cannot be read here.")
                                       : deniedReason,
                {}};
    }
    QString detail = error.isEmpty() ? QStringLiteral("The screen could not be read") : error;
    detail[0] = detail[0].toUpper();
    if (!detail.endsWith(QLatin1Char('.')))
        detail += QLatin1Char('.');
    return {QStringLiteral("Chromet couldn't read the screen"),
            detail + QStringLiteral(" Try again; if it keeps failing, quit and reopen Chromet."),
            {}};
}

void AppDelegate::captureFailed(const CaptureResult &failure) {
    // The desktop's screenshot portal said no: its own picker, which hands over a color but no
    // screen, takes this pick and the later ones.
    if (failure.declined && !m_portalPicker && m_makeFallbackPicker)
        m_portalPicker = m_makeFallbackPicker();
    // Both after the loupe's end is announced: either may hold a modal alert first.
    const QPointer<AppDelegate> self(this);
    if (m_portalPicker) {
        qCInfo(lcChromet, "Chromet: the desktop declined the screenshot; picks use the desktop's "
                          "own color picker");
        QMetaObject::invokeMethod(this, &AppDelegate::pickWithPortal, Qt::QueuedConnection);
    } else {
        QMetaObject::invokeMethod(
            this,
            [self, error = failure.error] {
                if (self)
                    self->presentCaptureProblem(error);
            },
            Qt::QueuedConnection);
    }
}

void AppDelegate::presentCaptureProblem(const QString &error) {
    if (m_permissionAlertShowing)
        return;
    m_permissionAlertShowing = true;
    const QPointer<AppDelegate> self(this);
    m_permission->check([self, error](bool looksGranted) {
        if (!self)
            return;
        const bool hasSettings = self->m_permission->hasSettings();
        const AlertSpec alert = captureProblemAlert(error, hasSettings, looksGranted,
                                                    self->m_permission->deniedReason());
        const bool openSettings = self->runAlert(alert) == 0 && hasSettings;
        if (!self)
            return;
        if (openSettings)
            self->m_permission->openSettings();
        self->m_permissionAlertShowing = false;
    });
}

void AppDelegate::buildMenu(QMenu *menu) {
    // The menu opens over the normal icon, not over a feedback still playing.
    if (m_copyFeedback && m_copyFeedback->isShowing())
        m_copyFeedback->reset();
    if (!m_store)
        return;

    const MenuSettings settings{m_prefs->defaultFormat(), m_prefs->lowercaseHex(),
                                m_prefs->hotKey()};
    const Library &library = m_store->library();
    buildStatusMenu(menu, library.history, library.palettes, settings, menuActions());
}

MenuActions AppDelegate::menuActions() {
    QPointer<AppDelegate> self(this);
    // Every command finds the delegate and its commands again when it runs.
    const auto commands = [self]() -> LibraryCommands * {
        return self ? self->m_commands.get() : nullptr;
    };

    MenuActions actions;
    actions.pick = [self] {
        if (!self)
            return;
        // After the menu has closed.
        QTimer::singleShot(menuPickDelayMs, self.data(), [self] {
            if (self)
                self->startPick();
        });
    };
    actions.copy = [commands](const PickedColor &color, ColorFormat format,
                              const std::optional<QString> &name) {
        if (LibraryCommands *c = commands())
            c->copy(color, format, name);
    };
    actions.pin = [commands](const PickedColor &color, const QUuid &paletteId) {
        if (LibraryCommands *c = commands())
            c->pin(color, paletteId);
    };
    actions.pinToNewPalette = [commands](const PickedColor &color) {
        if (LibraryCommands *c = commands())
            c->pinToNewPalette(color);
    };
    actions.deleteFromHistory = [commands](const PickedColor &color) {
        if (LibraryCommands *c = commands())
            c->deleteFromHistory(color);
    };
    actions.renameColor = [commands](const NamedColor &color, const Palette &palette) {
        if (LibraryCommands *c = commands())
            c->renameColor(color, palette);
    };
    actions.removeColor = [commands](const NamedColor &color, const Palette &palette) {
        if (LibraryCommands *c = commands())
            c->removeColor(color, palette);
    };
    actions.exportCopy = [commands](const Palette &palette, ExportFormat format) {
        if (LibraryCommands *c = commands())
            c->exportCopy(palette, format);
    };
    actions.exportSave = [commands](const Palette &palette, ExportFormat format) {
        if (LibraryCommands *c = commands())
            c->exportSave(palette, format);
    };
    actions.renamePalette = [commands](const Palette &palette) {
        if (LibraryCommands *c = commands())
            c->renamePalette(palette);
    };
    actions.deletePalette = [commands](const Palette &palette) {
        if (LibraryCommands *c = commands())
            c->deletePalette(palette);
    };
    actions.contrast = [self] {
        if (self)
            self->toggleContrast();
    };
    actions.clearHistory = [commands] {
        if (LibraryCommands *c = commands())
            c->clearHistory();
    };
    actions.openSettings = [self] {
        if (self)
            self->openSettings();
    };
    actions.checkForUpdates = [self] {
        if (self && self->m_updater)
            self->m_updater->checkForUpdates();
    };
    actions.quit = [] {
        QCoreApplication::quit();
    };
    actions.setDefaultFormat = [self](ColorFormat format) {
        if (self)
            self->m_prefs->setDefaultFormat(format);
    };
    actions.updatesAvailable = m_updater && m_updater->isAvailable();
    actions.isLibrarySaving = m_store && m_store->isSaving();
    return actions;
}

bool AppDelegate::isOwnWindow(WId window) const {
    const QWindowList windows = QGuiApplication::allWindows();
    for (const QWindow *w : windows) {
        if (w->handle() && w->winId() == window)
            return true;
    }
    return false;
}

bool AppDelegate::hasVisibleTitledWindow() const {
    const QWindowList windows = QGuiApplication::topLevelWindows();
    for (const QWindow *w : windows) {
        const Qt::WindowType type = w->type();
        const bool titled = (type == Qt::Window || type == Qt::Dialog) &&
                            !w->flags().testFlag(Qt::FramelessWindowHint);
        if (w->isVisible() && titled)
            return true;
    }
    return false;
}

void AppDelegate::runModalActivated(const std::function<void()> &body) {
    // The dialog itself asks for the keyboard when it appears; remember who had it before.
    const std::optional<WId> previous = m_focus->activeWindow();
    body();
    if (previous && !isOwnWindow(*previous) && !hasVisibleTitledWindow())
        m_focus->activate(*previous);
}

int AppDelegate::runAlert(const AlertSpec &alert) {
    int answer = -1;
    runModalActivated([&] { answer = m_presenter->runAlert(alert); });
    return answer;
}

std::optional<QString> AppDelegate::promptForName(const QString &title, const QString &message,
                                                  const QString &defaultName,
                                                  const QString &confirmTitle) {
    std::optional<QString> answer;
    runModalActivated([&] {
        answer = m_presenter->promptForName({title, message, defaultName, confirmTitle});
    });
    if (!answer)
        return std::nullopt;
    const QString name = answer->trimmed();
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

void AppDelegate::openSettings(const QString &page) {
    if (!m_settingsWindow) {
        std::optional<TraylessSection::Actions> withoutTray;
        if (m_withoutTray) {
            QPointer<AppDelegate> self(this);
            withoutTray = TraylessSection::Actions{[self] {
                                                       if (self)
                                                           self->startPick();
                                                   },
                                                   [] {
                                                       QCoreApplication::quit();
                                                   }};
        }
        m_settingsWindow = ChrometSettings::makeWindowController(
            *m_prefs, m_updater.get(), m_mainMenu.get(), nullptr, std::move(withoutTray));
    }
    m_settingsWindow->show(page.isEmpty() ? std::nullopt : std::optional<QString>(page));
}

void AppDelegate::showOnboarding() {
    QPointer<AppDelegate> self(this);
    if (!m_onboarding) {
        m_onboarding = new OnboardingWindowController(ChrometOnboarding::windowTitle(),
                                                      ChrometOnboarding::windowSize, [self] {
                                                          if (self)
                                                              self->finishOnboarding();
                                                      });
    }
    QList<OnboardingStep> steps = ChrometOnboarding::steps(
        m_prefs->hotKey().displayString(), m_permission.get(), HotKey::canGrabShortcuts());
    // The desktop's own picker needs no screen access of ours.
    if (m_portalPicker)
        steps.removeIf(
            [](const OnboardingStep &step) { return step.id == QLatin1String("screenRecording"); });
    m_onboarding->show(steps, 0, ChrometOnboarding::finishTitle());
    if (m_mainMenu && m_onboarding->window())
        m_mainMenu->install(m_onboarding->window());
    qCInfo(lcChromet, "Chromet: onboarding shown");
}

void AppDelegate::finishOnboarding() {
    m_prefs->setHasCompletedOnboarding(true);
    // Called from within the controller's own closing: it goes once that has returned.
    if (m_onboarding)
        m_onboarding->deleteLater();
    m_onboarding.clear();
    qCInfo(lcChromet, "Chromet: onboarding finished");
    warmUpCapture();
}

void AppDelegate::toggleContrast() {
    const QList<PickedColor> history = m_store ? m_store->library().history : QList<PickedColor>();
    m_contrastPanel->toggle(history, m_prefs->lowercaseHex());
    // A new panel is made at every opening.
    if (m_contrastPanel->isVisible() && m_mainMenu)
        m_mainMenu->install(m_contrastPanel->controller()->panel());
}
