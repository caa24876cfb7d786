#pragma once

#include "Chromet/Settings/TraylessSection.h"
#include "OrinSettings/SettingsAppInfo.h"
#include "OrinSettings/SettingsPage.h"

#include <QList>

#include <memory>
#include <optional>

class LaunchAtLogin;
class MainMenu;
class Preferences;
class SettingsWindowController;
class Updater;

// What the application hands the settings window.
namespace ChrometSettings {

// Name, tagline, version and addresses; the About page shows them.
SettingsAppInfo appInfo();

// The application's own pages: "General" (the shared keywords are added by the window).
// A null `launchAtLogin` stands for LaunchAtLogin::shared(). With `withoutTray`, the General page
// begins with the TraylessSection, for a desktop that shows no tray.
QList<SettingsPage> pages(Preferences &prefs, LaunchAtLogin *launchAtLogin = nullptr,
                          std::optional<TraylessSection::Actions> withoutTray = std::nullopt);

// The settings window controller with the General and About pages, the window commands of
// `mainMenu` (optional) on its window. Nothing is shown until show(). `prefs`, `updater` and
// `mainMenu` must outlive it.
std::unique_ptr<SettingsWindowController>
makeWindowController(Preferences &prefs, Updater *updater, const MainMenu *mainMenu = nullptr,
                     LaunchAtLogin *launchAtLogin = nullptr,
                     std::optional<TraylessSection::Actions> withoutTray = std::nullopt);

} // namespace ChrometSettings
