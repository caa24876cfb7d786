#pragma once

#include "OrinSettings/Binding.h"
#include "OrinSettings/SettingsSection.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <functional>

class LaunchAtLogin;
class SettingsSwitch;

// The "App" section: start at login, and whether the application shows in the taskbar, then the
// caller's further rows. Each time it comes on screen it reads the login-item state again, so a
// change made outside the application shows.
class AppSection : public SettingsSection {
    Q_OBJECT

public:
    // A null `launchAtLogin` stands for LaunchAtLogin::shared(). `onDockIconChange` runs after
    // the user flips the dock switch, with the new value.
    AppSection(const QString &appName, LaunchAtLogin *launchAtLogin, Binding<bool> showDockIcon,
               std::function<void(bool visible)> onDockIconChange,
               const QList<QWidget *> &extra = {}, QWidget *parent = nullptr);

    SettingsSwitch *launchAtLoginSwitch() const { return m_launchSwitch; }
    SettingsSwitch *dockIconSwitch() const { return m_dockSwitch; }

    // Shows the bound dock value and the login item's state as they are now, without asking
    // the system again.
    void showBoundValues();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPointer<LaunchAtLogin> m_launchAtLogin;
    Binding<bool> m_showDockIcon;
    std::function<void(bool)> m_onDockIconChange;
    SettingsSwitch *m_launchSwitch = nullptr;
    SettingsSwitch *m_dockSwitch = nullptr;
};
