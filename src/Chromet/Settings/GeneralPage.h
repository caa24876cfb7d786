#pragma once

#include <QWidget>

#include <functional>

#include "OrinSettings/SettingsForm.h"

class AppSection;
class LaunchAtLogin;
class Preferences;
class QComboBox;
class SettingsSection;
class SettingsSwitch;
class ShortcutSection;

// The "General" settings page: the shortcut, the copy format and the application's login and
// taskbar behaviour. Every control writes straight into the preferences or the login item; the
// page keeps nothing of its own and follows changes made elsewhere.
class GeneralPage : public SettingsForm {
    Q_OBJECT

public:
    using ApplyDockIcon = std::function<void(bool visible)>;

    // A null `launchAtLogin` stands for LaunchAtLogin::shared(); an empty `applyDockIcon` for
    // DockIcon::apply(). `prefs` must outlive the page.
    explicit GeneralPage(Preferences &prefs, LaunchAtLogin *launchAtLogin = nullptr,
                         ApplyDockIcon applyDockIcon = {}, QWidget *parent = nullptr);

    ShortcutSection *shortcutSection() const { return m_shortcut; }
    SettingsSection *copySection() const { return m_copy; }
    AppSection *appSection() const { return m_app; }
    QComboBox *formatPicker() const { return m_format; }
    SettingsSwitch *lowercaseHexSwitch() const { return m_lowercaseHex; }

private:
    Preferences &m_prefs;
    ShortcutSection *m_shortcut = nullptr;
    SettingsSection *m_copy = nullptr;
    AppSection *m_app = nullptr;
    QComboBox *m_format = nullptr;
    SettingsSwitch *m_lowercaseHex = nullptr;
};
