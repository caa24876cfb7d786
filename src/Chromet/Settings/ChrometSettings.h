#pragma once

#include "OrinSettings/SettingsAppInfo.h"
#include "OrinSettings/SettingsPage.h"

#include <QList>

#include <memory>

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
// A null `launchAtLogin` stands for LaunchAtLogin::shared().
QList<SettingsPage> pages(Preferences &prefs, LaunchAtLogin *launchAtLogin = nullptr);

// The settings window controller with the General and About pages, the window commands of
// `mainMenu` (optional) on its window. Nothing is shown until show(). `prefs`, `updater` and
// `mainMenu` must outlive it.
std::unique_ptr<SettingsWindowController>
makeWindowController(Preferences &prefs, Updater *updater, const MainMenu *mainMenu = nullptr,
                     LaunchAtLogin *launchAtLogin = nullptr);

} // namespace ChrometSettings
