#include "OrinSettings/AppSection.h"

#include "OrinSettings/LaunchAtLogin.h"
#include "OrinSettings/SettingsRow.h"
#include "OrinSettings/SettingsSwitch.h"

#include <QSignalBlocker>

AppSection::AppSection(const QString &appName, LaunchAtLogin *launchAtLogin,
                       Binding<bool> showDockIcon, std::function<void(bool)> onDockIconChange,
                       const QList<QWidget *> &extra, QWidget *parent)
    : SettingsSection(QStringLiteral("App"), parent)
    , m_launchAtLogin(launchAtLogin ? launchAtLogin : &LaunchAtLogin::shared())
    , m_showDockIcon(std::move(showDockIcon))
    , m_onDockIconChange(std::move(onDockIconChange)) {
    m_launchSwitch = new SettingsSwitch;
    addRow(new SettingsRow(QStringLiteral("Launch at login"),
                           QStringLiteral("Start ") + appName +
                               QStringLiteral(" quietly when you log in."),
                           m_launchSwitch));
    {
        const QSignalBlocker blocker(m_launchSwitch);
        m_launchSwitch->setChecked(m_launchAtLogin->isEnabled());
    }
    connect(m_launchSwitch, &SettingsSwitch::toggled, this, [this](bool enabled) {
        if (m_launchAtLogin)
            m_launchAtLogin->setEnabled(enabled);
        // A refused change has sprung back by now.
        showBoundValues();
    });
    connect(m_launchAtLogin, &LaunchAtLogin::isEnabledChanged, this, &AppSection::showBoundValues);

    m_dockSwitch = new SettingsSwitch;
    addRow(new SettingsRow(QStringLiteral("Show in taskbar"),
                           QStringLiteral("Off: ") + appName +
                               QStringLiteral(" lives in the tray only."),
                           m_dockSwitch));
    m_dockSwitch->setChecked(m_showDockIcon.get && m_showDockIcon.get());
    connect(m_dockSwitch, &SettingsSwitch::toggled, this, [this](bool visible) {
        if (m_showDockIcon.set)
            m_showDockIcon.set(visible);
        if (m_onDockIconChange)
            m_onDockIconChange(visible);
    });

    for (QWidget *row : extra)
        addRow(row);
}

void AppSection::showEvent(QShowEvent *event) {
    if (m_launchAtLogin)
        m_launchAtLogin->refresh();
    showBoundValues();
    SettingsSection::showEvent(event);
}

void AppSection::showBoundValues() {
    if (m_launchAtLogin) {
        const QSignalBlocker blocker(m_launchSwitch);
        m_launchSwitch->setChecked(m_launchAtLogin->isEnabled());
    }
    if (m_showDockIcon.get) {
        const QSignalBlocker blocker(m_dockSwitch);
        m_dockSwitch->setChecked(m_showDockIcon.get());
    }
}
