#include "Chromet/App/AppDelegate.h"

#include "Chromet/App/CopyFeedback.h"
#include "Chromet/App/DialogModalPresenter.h"
#include "Chromet/App/NotificationCenter.h"
#include "Chromet/App/Preferences.h"
#include "Chromet/App/WindowFocus.h"
#include "Chromet/Library/LibraryStore.h"
#include "Chromet/Logging/Logging.h"
#include "Chromet/Picking/LoupeController.h"
#include "Chromet/Picking/PermissionChecker.h"
#include "Chromet/Picking/SnapshotCapturing.h"
#include "Chromet/Picking/SystemSnapshotCapturer.h"
#include "Chromet/Picking/X11PermissionChecker.h"
#include "OrinHotkey/HotKey.h"
#include "OrinMenuBar/ClosureMenuItem.h"
#include "OrinMenuBar/MainMenu.h"
#include "OrinMenuBar/StatusItemController.h"
#include "OrinPaste/PasteService.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
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
    , m_prefs(services.prefs ? services.prefs : &Preferences::shared())
    , m_permission(services.permission ? std::move(services.permission)
                                       : std::make_unique<X11PermissionChecker>())
    , m_presenter(services.presenter ? std::move(services.presenter)
                                     : std::make_unique<DialogModalPresenter>(statusIcon()))
    , m_focus(services.focus ? std::move(services.focus) : WindowFocus::createDefault())
    , m_makeCapturer(services.makeCapturer ? std::move(services.makeCapturer)
                                           : std::function(makeSystemCapturer))
    , m_makeLoupeSupport(std::move(services.makeLoupeSupport))
    , m_libraryPath(std::move(services.libraryPath))
    , m_copyText(services.copyText ? std::move(services.copyText)
                                   : PickCoordinator::CopyText(
                                         [](const QString &text) { PasteService::copy(text); })) {
}

AppDelegate::~AppDelegate() = default;

QIcon AppDelegate::statusIcon() {
    initResources();
    return QIcon(QStringLiteral(":/chromet/eyedropper.svg"));
}

void AppDelegate::applicationDidFinishLaunching() {
    QPointer<AppDelegate> self(this);

    // The standing commands every window of ours carries.
    m_mainMenu = MainMenu::make(appName, [self] {
        if (self)
            self->openSettings();
    });

    // The library, loaded from its file.
    m_store = std::make_unique<LibraryStore>(m_libraryPath.value_or(LibraryStore::defaultPath()));

    // What a finished pick turns into.
    m_coordinator = std::make_unique<PickCoordinator>(*m_store, *m_prefs, m_copyText);

    // The loupe, labelling in the current preferences and giving the focus back after a pick.
    m_loupe = std::make_unique<LoupeController>(
        m_makeCapturer(), m_makeLoupeSupport ? m_makeLoupeSupport() : makeSystemLoupeSupport());
    m_loupe->setLabelFormat(
        [self] { return self ? self->m_prefs->defaultFormat() : ColorFormat::hex; });
    m_loupe->setLowercaseHex([self] { return self && self->m_prefs->lowercaseHex(); });
    m_loupe->setOnFailure([self] {
        if (self)
            self->presentScreenRecordingAlert();
    });

    // The first pick should not pay for setting up the capture (nor its windows).
    if (m_permission->isGranted())
        m_loupe->warmUp();

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
}

void AppDelegate::registerHotKey() {
    const HotKeyCombo combo = m_prefs->hotKey();
    // Restoring the preference below posts the change notification again; this ends that call.
    if (m_registeredCombo && *m_registeredCombo == combo)
        return;

    QPointer<AppDelegate> self(this);
    std::unique_ptr<HotKey> created = HotKey::create(combo, [self] {
        if (self)
            self->startPick();
    });
    if (created) {
        // The previous registration goes as it is replaced.
        m_hotKey = std::move(created);
        m_registeredCombo = combo;
        qCInfo(lcChromet, "Chromet: shortcut %s registered", qUtf8Printable(combo.displayString()));
        return;
    }

    const QString refused = combo.displayString();
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
    if (!m_loupe)
        return;
    if (m_loupe->isShowing()) {
        // Starting again toggles: the showing pick ends without a color.
        m_loupe->start([](const PickedColor &) {});
        return;
    }
    if (!m_permission->isGranted()) {
        presentScreenRecordingAlert();
        return;
    }
    QPointer<AppDelegate> self(this);
    m_loupe->start([self](const PickedColor &color) {
        // The loupe confirms in its own label; the tray icon's feedback is for menu commands.
        if (self && self->m_coordinator)
            self->m_coordinator->handlePick(color);
    });
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

void AppDelegate::presentScreenRecordingAlert() {
    if (m_permissionAlertShowing)
        return;
    m_permissionAlertShowing = true;
    const bool looksGranted = m_permission->isGranted();
    const bool openSettings = runAlert(screenRecordingAlert(looksGranted)) == 0;
    if (openSettings)
        m_permission->openSettings();
    m_permissionAlertShowing = false;
}

void AppDelegate::buildMenu(QMenu *menu) {
    // The menu opens over the normal icon, not over a feedback still playing.
    if (m_copyFeedback && m_copyFeedback->isShowing())
        m_copyFeedback->reset();

    QPointer<AppDelegate> self(this);
    QString shortcut = m_prefs->hotKey().displayString();
    shortcut.replace(QLatin1Char('&'), QLatin1String("&&"));
    addItem(menu, QStringLiteral("Pick Color   ") + shortcut, {}, [self] {
        if (!self)
            return;
        QTimer::singleShot(menuPickDelayMs, self.data(), [self] {
            if (self)
                self->startPick();
        });
    });
    menu->addSeparator();
    addItem(menu, QStringLiteral("Quit ") + appName, QKeySequence(Qt::CTRL | Qt::Key_Q),
            [] { QCoreApplication::quit(); });
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
    if (m_openSettings) {
        m_openSettings(page);
        return;
    }
    qCInfo(lcChromet, "Chromet: no settings window to open%s%s",
           page.isEmpty() ? "" : " on the page ", qUtf8Printable(page));
}

void AppDelegate::setOpenSettings(std::function<void(const QString &page)> open) {
    m_openSettings = std::move(open);
}
