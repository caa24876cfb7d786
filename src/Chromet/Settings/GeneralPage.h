#pragma once

#include <QWidget>

#include <functional>

#include "OrinSettings/SettingsForm.h"

class AppSection;
class CommandBinding;
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
    // DockIcon::apply(). `prefs` must outlive the page. Where `canGrabShortcuts` is false the
    // shortcut section shows the command a desktop key binding can run instead of a recorder.
    explicit GeneralPage(Preferences &prefs, LaunchAtLogin *launchAtLogin = nullptr,
                         ApplyDockIcon applyDockIcon = {}, bool canGrabShortcuts = true,
                         QWidget *parent = nullptr);

    // Where the desktop assigns the shortcut's trigger itself (a desktop portal): `describe`
    // gives the desktop's description of it, shown under the recorder whenever the page comes
    // on screen.
    void setAssignedTrigger(std::function<QString()> describe);

    // Null where shortcuts cannot be grabbed.
    ShortcutSection *shortcutSection() const { return m_shortcut; }
    // Null where they can.
    CommandBinding *pickCommand() const { return m_pickCommand; }
    SettingsSection *copySection() const { return m_copy; }
    AppSection *appSection() const { return m_app; }
    QComboBox *formatPicker() const { return m_format; }
    SettingsSwitch *lowercaseHexSwitch() const { return m_lowercaseHex; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showAssignedTrigger();

    Preferences &m_prefs;
    std::function<QString()> m_assignedTrigger;
    ShortcutSection *m_shortcut = nullptr;
    CommandBinding *m_pickCommand = nullptr;
    SettingsSection *m_copy = nullptr;
    AppSection *m_app = nullptr;
    QComboBox *m_format = nullptr;
    SettingsSwitch *m_lowercaseHex = nullptr;
};
