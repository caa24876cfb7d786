#include "Chromet/Settings/ChrometSettings.h"

#include "Chromet/Settings/GeneralPage.h"
#include "OrinHotkey/HotKey.h"
#include "OrinSettings/PageAssembly.h"
#include "OrinSettings/SettingsIcon.h"
#include "OrinSettings/SettingsWindowController.h"
#include "OrinUpdates/BundleInfo.h"

namespace ChrometSettings {

SettingsAppInfo appInfo() {
    const BundleInfo bundle = BundleInfo::main();
    SettingsAppInfo info;
    info.id = QStringLiteral("chromet");
    info.name = QStringLiteral("Chromet");
    info.tagline = QStringLiteral("Pick any color on screen and copy it as code.");
    info.website = QUrl(QStringLiteral("https://chromet.app/"));
    info.changelog = QUrl(QStringLiteral("https://chromet.app/releases/"));
    info.support = QUrl(QStringLiteral("mailto:support@chromet.app"));
    info.shortVersion = bundle.shortVersion;
    info.buildNumber = bundle.buildNumber;
    return info;
}

QList<SettingsPage> pages(Preferences &prefs, LaunchAtLogin *launchAtLogin,
                          std::optional<TraylessSection::Actions> withoutTray) {
    Preferences *const p = &prefs;
    return {SettingsPage{
        PageAssembly::generalID(),
        QStringLiteral("General"),
        QStringLiteral("gearshape.fill"),
        SettingsIcon::gray(),
        {QStringLiteral("shortcut"), QStringLiteral("hotkey"), QStringLiteral("login"),
         QStringLiteral("dock"), QStringLiteral("format"), QStringLiteral("hex"),
         QStringLiteral("lowercase"), QStringLiteral("copy"),
         // What the taskbar switch and the tray are called here.
         QStringLiteral("taskbar"), QStringLiteral("tray")},
        [p, launchAtLogin, withoutTray]() -> QWidget * {
            const bool canGrab = HotKey::canGrabShortcuts();
            auto *page = new GeneralPage(*p, launchAtLogin, {}, canGrab);
            page->setAssignedTrigger(HotKey::triggerDescription);
            if (withoutTray)
                page->insertSection(0, new TraylessSection(*p, *withoutTray, canGrab));
            return page;
        },
    }};
}

std::unique_ptr<SettingsWindowController>
makeWindowController(Preferences &prefs, Updater *updater, const MainMenu *mainMenu,
                     LaunchAtLogin *launchAtLogin,
                     std::optional<TraylessSection::Actions> withoutTray) {
    auto controller = std::make_unique<SettingsWindowController>(
        appInfo(), updater, pages(prefs, launchAtLogin, std::move(withoutTray)));
    controller->setMainMenu(mainMenu);
    return controller;
}

} // namespace ChrometSettings
