#pragma once

class ScreenshotSession;

// Each function shows one of the application's windows with made-up data, shoots it in its
// states and closes it again, so the next shot finds an empty screen.
class QWidget;

namespace WindowShots {

// Makes `window` a desktop behind everything else: the made-up wallpaper and windows.
void backdrop(QWidget &window);

// loupe, loupe-copied (after a pick), loupe-bottom (near the display's bottom edge).
void loupe(ScreenshotSession &session);
// tray-menu (a recent color's submenu open), tray-menu-palette (a palette's export submenu).
void trayMenu(ScreenshotSession &session);
// contrast-pair, contrast-empty, and contrast-pair-glass (as a compositor would show it).
void contrast(ScreenshotSession &session);
// onboarding-1 to onboarding-3, onboarding-2-granted, and onboarding-1-glass and
// onboarding-2-glass (as a compositor would show them).
void onboarding(ScreenshotSession &session);
// settings-general, settings-about, settings-general-no-tray.
void settings(ScreenshotSession &session);
// dialog-new-palette, dialog-delete-palette.
void dialogs(ScreenshotSession &session);

} // namespace WindowShots
