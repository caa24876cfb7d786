#include "WindowShots.h"

#include "ScreenshotSession.h"
#include "SyntheticDesktop.h"

#include "Chromet/App/DialogModalPresenter.h"
#include "Chromet/App/MenuActions.h"
#include "Chromet/App/MenuSettings.h"
#include "Chromet/App/Preferences.h"
#include "Chromet/App/StatusMenu.h"
#include "Chromet/Color/ColorConversion.h"
#include "Chromet/Contrast/ContrastPanel.h"
#include "Chromet/Library/Library.h"
#include "Chromet/Onboarding/OnboardingSteps.h"
#include "Chromet/Picking/GlassView.h"
#include "Chromet/Picking/LoupeView.h"
#include "Chromet/Picking/LoupeWindow.h"
#include "Chromet/Picking/Motion.h"
#include "Chromet/Picking/PermissionChecker.h"
#include "Chromet/Settings/ChrometSettings.h"
#include "OrinOnboarding/OnboardingView.h"
#include "OrinOnboarding/OnboardingWindowController.h"
#include "OrinPanel/FloatingPanel.h"
#include "OrinPanel/FloatingPanelController.h"
#include "OrinSettings/SettingsWindowController.h"
#include "OrinSparkle/SparkleUpdater.h"
#include "OrinTheme/WindowEffects.h"
#include "OrinUpdates/BundleInfo.h"
#include "OrinUpdates/Updater.h"

#include <QApplication>
#include <QColorSpace>
#include <QDialog>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

QScreen *screen() {
    return QGuiApplication::primaryScreen();
}

PickedColor srgb(QRgb rgb) {
    return pickedColor(RGB{qRed(rgb) / 255.0, qGreen(rgb) / 255.0, qBlue(rgb) / 255.0},
                       QColorSpace(QColorSpace::SRgb));
}

// A library as after a week of use: recent picks, a default palette and a named brand palette.
Library sampleLibrary() {
    Library library = Library::defaultLibrary();
    const QList<QRgb> picks{0x1e1f29, 0xf6c85f, 0x4caf50, 0xe94f37, 0xffffff, 0x3a7bd5};
    for (QRgb rgb : picks)
        library.record(srgb(rgb));
    library.pin(srgb(0x3a7bd5), library.palettes.first().id);
    library.pin(srgb(0xf6c85f), library.palettes.first().id);

    const Palette brand = library.addPalette(QStringLiteral("Spring Release"));
    const QList<std::pair<QRgb, QString>> named{{0x3a7bd5, QStringLiteral("brand")},
                                                {0xe94f37, QStringLiteral("coral")},
                                                {0xf6c85f, QStringLiteral("sun")},
                                                {0x4caf50, QStringLiteral("leaf")}};
    for (const auto &[rgb, name] : named) {
        library.pin(srgb(rgb), brand.id);
        const Palette *palette = library.palette(brand.id);
        library.renameColor(palette->colors.last().id, brand.id, name);
    }
    return library;
}

class GrantedPermission : public PermissionChecker {
public:
    bool granted = false;
    void check(Answer answer) override { answer(granted); }
    void request() override {}
    // The page as it looks where the desktop has a setting to open.
    bool hasSettings() const override { return true; }
    void openSettings() override {}
    QString deniedReason() const override { return QString(); }
};

// Offers updates as this build's own updater would.
class OfferedUpdater : public Updater {
public:
    bool isAvailable() const override { return SparkleUpdater::isConfigured(BundleInfo::main()); }
    void checkForUpdates() override {}
};

// The rectangle around the ring and the pill, with room for their rims, on the screen.
QRect loupeArea(const LoupeView &view) {
    const QRect ring = view.ringGlass()->geometry();
    const QRect pill = view.pillGlass()->geometry();
    return ring.united(pill).adjusted(-28, -20, 28, 20).intersected(screen()->geometry());
}

// A translucent window as a compositor would show it: rendered with its transparency and laid
// over the made-up desktop where it stands. This server has no compositor, so on screen its
// transparent pixels would be black.
QImage overDesktop(QWidget *window) {
    const SyntheticDesktop desktop(screen()->geometry(), screen()->devicePixelRatio());
    const double ratio = desktop.image().devicePixelRatio();
    const QRect frame = window->geometry();
    QImage shot = desktop.image().copy(QRect(frame.topLeft() * ratio, frame.size() * ratio));
    shot.setDevicePixelRatio(ratio);
    QPainter painter(&shot);
    painter.drawPixmap(0, 0, window->grab());
    return shot;
}

void settleLoupe(LoupeView &view) {
    Motion::finish(view.ringGlass());
    Motion::finish(view.pillGlass());
}

// The open submenu of `menu`'s action `title` (or the first action with a submenu when empty).
QMenu *openSubmenu(QMenu *menu, const QString &title) {
    for (QAction *action : menu->actions()) {
        if (!action->menu() || (!title.isEmpty() && action->text() != title))
            continue;
        menu->setActiveAction(action);
        QMenu *submenu = action->menu();
        if (!ScreenshotSession::waitFor([submenu] { return submenu->isVisible(); }))
            return nullptr;
        return submenu;
    }
    return nullptr;
}

// Runs `open`, which shows a modal dialog and returns once it is answered; shoots the dialog
// while it is up and then cancels it.
void shootModal(ScreenshotSession &session, const QString &name,
                const std::function<void()> &open) {
    QTimer::singleShot(0, qApp, [&session, name] {
        QWidget *dialog = nullptr;
        ScreenshotSession::waitFor([&dialog] {
            dialog = QApplication::activeModalWidget();
            return dialog && dialog->isVisible();
        });
        if (!dialog) {
            session.fail(name, QStringLiteral("the dialog did not open"));
            return;
        }
        session.shootWindow(name, dialog);
        if (auto *asDialog = qobject_cast<QDialog *>(dialog))
            asDialog->reject();
        else
            dialog->close();
    });
    open();
}

} // namespace

namespace WindowShots {

void loupe(ScreenshotSession &session) {
    const SyntheticDesktop desktop(screen()->geometry(), screen()->devicePixelRatio());
    const ScreenSnapshot snapshot = desktop.snapshot();
    auto *view = new LoupeView(snapshot, ColorFormat::hex, false);
    LoupeWindow window;
    bool exposed = false;
    QObject::connect(&window, &LoupeWindow::exposed, [&exposed] { exposed = true; });
    window.present(view, snapshot.frame);
    if (!ScreenshotSession::waitFor([&exposed] { return exposed; })) {
        session.fail(QStringLiteral("loupe"), QStringLiteral("the loupe window never painted"));
        return;
    }

    view->update(desktop.swatchEdge());
    settleLoupe(*view);
    session.shootArea(QStringLiteral("loupe"), &window, loupeArea(*view));

    // After a pick the label gains " copied" and the pill widens.
    view->confirm();
    ScreenshotSession::waitFor([view] { return !Motion::isAnimating(view->pillGlass()); });
    settleLoupe(*view);
    session.shootArea(QStringLiteral("loupe-copied"), &window, loupeArea(*view));

    // Near the bottom edge the pill goes above the ring; over white the label turns dark.
    view->update(desktop.documentCorner());
    settleLoupe(*view);
    session.shootArea(QStringLiteral("loupe-bottom"), &window, loupeArea(*view));
    window.orderOut();
}

void backdrop(QWidget &window) {
    const SyntheticDesktop desktop(screen()->geometry(), screen()->devicePixelRatio());
    window.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint);
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    window.setGeometry(screen()->geometry());
    QPalette palette = window.palette();
    palette.setBrush(QPalette::Window, QPixmap::fromImage(desktop.image()));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.show();
    window.lower();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "chromet-screenshots: the desktop backdrop did not show\n");
}

void trayMenu(ScreenshotSession &session) {
    const Library library = sampleLibrary();
    MenuSettings settings;
    settings.defaultFormat = ColorFormat::hex;
    settings.hotKey = Preferences::defaultHotKey;
    MenuActions actions;
    actions.updatesAvailable = OfferedUpdater().isAvailable();

    // Under a tray at the top of the screen, with room for the submenus on the right.
    const auto popUp = [&](QMenu &menu) {
        buildStatusMenu(&menu, library.history, library.palettes, settings, actions);
        menu.popup(screen()->geometry().topLeft() + QPoint(40, 28));
        return ScreenshotSession::waitFor([&menu] { return menu.isVisible(); });
    };
    const auto areaOf = [](const QList<QMenu *> &menus) {
        QRect area;
        for (QMenu *menu : menus)
            area = area.united(menu->geometry());
        return area.adjusted(-12, -12, 12, 12).intersected(screen()->geometry());
    };

    {
        QMenu menu;
        if (!popUp(menu)) {
            session.fail(QStringLiteral("tray-menu"), QStringLiteral("the menu did not open"));
            return;
        }
        QMenu *color = openSubmenu(&menu, QString());
        if (!color)
            session.fail(QStringLiteral("tray-menu"), QStringLiteral("no color submenu"));
        else
            session.shootArea(QStringLiteral("tray-menu"), &menu, areaOf({&menu, color}));
        menu.hide();
    }
    {
        QMenu menu;
        if (!popUp(menu))
            return;
        QMenu *palette = openSubmenu(&menu, QStringLiteral("Spring Release"));
        QMenu *exports = palette ? openSubmenu(palette, QStringLiteral("Export")) : nullptr;
        QMenu *swift = exports ? openSubmenu(exports, QStringLiteral("Swift")) : nullptr;
        if (!swift)
            session.fail(QStringLiteral("tray-menu-palette"), QStringLiteral("no export submenu"));
        else
            session.shootArea(QStringLiteral("tray-menu-palette"), &menu,
                              areaOf({&menu, palette, exports, swift}));
        menu.hide();
    }
}

void contrast(ScreenshotSession &session) {
    const Library library = sampleLibrary();
    PanelScreens screens;
    screens.pointer = [] {
        return screen()->geometry().center();
    };

    {
        ContrastPanel panel;
        panel.setScreens(screens);
        panel.toggle(library.history, false);
        session.shootWindow(QStringLiteral("contrast-pair"), panel.controller()->panel());
        panel.toggle(library.history, false);
    }
    {
        ContrastPanel panel;
        panel.setScreens(screens);
        panel.toggle({}, false);
        session.shootWindow(QStringLiteral("contrast-empty"), panel.controller()->panel());
        panel.toggle({}, false);
    }
    if (session.wants(QStringLiteral("contrast-pair-glass"))) {
        // With a compositor the panel is translucent glass with its own shadow.
        WindowEffects::setCompositorOverride(true);
        {
            ContrastPanel panel;
            panel.setScreens(screens);
            panel.toggle(library.history, false);
            FloatingPanel *window = panel.controller()->panel();
            QTest::qWait(300);
            const QImage shot = overDesktop(window);
            session.save(QStringLiteral("contrast-pair-glass"), shot);
            panel.toggle(library.history, false);
        }
        WindowEffects::setCompositorOverride(std::nullopt);
    }
}

void onboarding(ScreenshotSession &session) {
    GrantedPermission permission;
    OnboardingWindowController controller(ChrometOnboarding::windowTitle(),
                                          ChrometOnboarding::windowSize, [] {});
    const QString hotKey = Preferences::defaultHotKey.displayString();
    for (int page = 0; page < 3; ++page) {
        controller.show(ChrometOnboarding::steps(hotKey, &permission), page,
                        ChrometOnboarding::finishTitle());
        session.shootWindow(QStringLiteral("onboarding-%1").arg(page + 1), controller.window(),
                            800);
    }
    permission.granted = true;
    controller.show(ChrometOnboarding::steps(hotKey, &permission), 1,
                    ChrometOnboarding::finishTitle());
    session.shootWindow(QStringLiteral("onboarding-2-granted"), controller.window(), 800);
    if (QWidget *window = controller.window())
        window->hide();

    if (session.wants(QStringLiteral("onboarding-1-glass")) ||
        session.wants(QStringLiteral("onboarding-2-glass"))) {
        // With a compositor the window is glass over whatever lies behind it.
        WindowEffects::setCompositorOverride(true);
        {
            permission.granted = false;
            OnboardingWindowController glass(ChrometOnboarding::windowTitle(),
                                             ChrometOnboarding::windowSize, [] {});
            for (int page = 0; page < 2; ++page) {
                glass.show(ChrometOnboarding::steps(hotKey, &permission), page,
                           ChrometOnboarding::finishTitle());
                QTest::qWait(800);
                if (QWidget *window = glass.window())
                    session.save(QStringLiteral("onboarding-%1-glass").arg(page + 1),
                                 overDesktop(window));
            }
            if (QWidget *window = glass.window())
                window->hide();
        }
        WindowEffects::setCompositorOverride(std::nullopt);
    }
}

void settings(ScreenshotSession &session) {
    Preferences prefs(Preferences::defaultPath());
    OfferedUpdater updater;
    const auto controller = ChrometSettings::makeWindowController(prefs, &updater);
    controller->show(QStringLiteral("general"));
    session.shootWindow(QStringLiteral("settings-general"), controller->window());
    controller->show(QStringLiteral("about"));
    session.shootWindow(QStringLiteral("settings-about"), controller->window());
    controller->window()->hide();

    // On a desktop without a tray.
    const auto trayless = ChrometSettings::makeWindowController(prefs, &updater, nullptr, nullptr,
                                                                TraylessSection::Actions{[] {},
                                                                                         [] {
                                                                                         }});
    trayless->show(QStringLiteral("general"));
    session.shootWindow(QStringLiteral("settings-general-no-tray"), trayless->window());
    trayless->window()->hide();
}

void dialogs(ScreenshotSession &session) {
    DialogModalPresenter presenter(QIcon(QStringLiteral(":/chromet/application.svg")));
    const Library library = sampleLibrary();

    shootModal(session, QStringLiteral("dialog-new-palette"), [&] {
        presenter.promptForName({QStringLiteral("New Palette"), QStringLiteral("Name the palette."),
                                 Library::defaultPaletteName(library), QStringLiteral("Create")});
    });

    const Palette &palette = library.palettes.last();
    AlertSpec remove;
    remove.messageText = QStringLiteral("Delete “%1”?").arg(palette.name);
    remove.informativeText =
        QStringLiteral("Its %1 colors are removed too. History isn't affected.")
            .arg(palette.colors.size());
    remove.buttons = {QStringLiteral("Delete"), QStringLiteral("Cancel")};
    remove.destructiveButton = 0;
    shootModal(session, QStringLiteral("dialog-delete-palette"),
               [&] { presenter.runAlert(remove); });
}

} // namespace WindowShots
