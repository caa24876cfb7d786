#include "Chromet/Settings/TraylessSection.h"

#include "Chromet/App/Preferences.h"
#include "OrinSettings/SettingsRow.h"

#include <QLabel>
#include <QPushButton>

namespace {

QString pickSubtitle(const HotKeyCombo &combo, bool canGrabShortcuts) {
    if (!canGrabShortcuts)
        return QStringLiteral("Or bind a key to chromet pick, as Shortcut below says.");
    return QStringLiteral("Or press ") + combo.displayString() + QStringLiteral(" in any app.");
}

} // namespace

TraylessSection::TraylessSection(Preferences &prefs, Actions actions, bool canGrabShortcuts,
                                 QWidget *parent)
    : SettingsSection(QStringLiteral("No Tray Icon"), parent) {
    auto *pick = new QPushButton(QStringLiteral("Pick Color"));
    connect(pick, &QPushButton::clicked, this, [pickAction = std::move(actions.pick)] {
        if (pickAction)
            pickAction();
    });
    m_pick = pick;
    m_pickRow = new SettingsRow(QStringLiteral("Pick Color"),
                                pickSubtitle(prefs.hotKey(), canGrabShortcuts), pick);
    addRow(m_pickRow);
    connect(&prefs, &Preferences::hotKeyChanged, this,
            [this, canGrabShortcuts](const HotKeyCombo &combo) {
                m_pickRow->subtitleLabel()->setText(pickSubtitle(combo, canGrabShortcuts));
            });

    auto *quit = new QPushButton(QStringLiteral("Quit Chromet"));
    connect(quit, &QPushButton::clicked, this, [quitAction = std::move(actions.quit)] {
        if (quitAction)
            quitAction();
    });
    m_quit = quit;
    addRow(new SettingsRow(QStringLiteral("Quit"),
                           QStringLiteral("Chromet stops until you open it again."), quit));

    setFooter(QStringLiteral("Your desktop shows no system tray, so Chromet lives in this window. "
                             "Closing it keeps Chromet running; open Chromet again to bring the "
                             "window back. ") +
              trayHelp(qEnvironmentVariable("XDG_CURRENT_DESKTOP")));
}

QString TraylessSection::trayHelp(const QString &currentDesktop) {
    const QStringList desktops = currentDesktop.toLower().split(QLatin1Char(':'));
    const auto is = [&](const char *name) {
        return desktops.contains(QLatin1String(name));
    };
    if (is("kde"))
        return QStringLiteral("To get a tray, add the System Tray widget to a panel (right-click "
                              "the panel, Add Widgets…), then start Chromet again.");
    if (is("xfce"))
        return QStringLiteral("To get a tray, add the Status Tray plugin to a panel (Panel → Add "
                              "New Items…), then start Chromet again.");
    if (is("mate"))
        return QStringLiteral("To get a tray, add the Notification Area to a panel (right-click "
                              "the panel, Add to Panel…), then start Chromet again.");
    if (is("lxqt"))
        return QStringLiteral("To get a tray, add the Status Notifier widget to the panel, then "
                              "start Chromet again.");
    if (is("x-cinnamon"))
        return QStringLiteral("To get a tray, add the System Tray applet to a panel (System "
                              "Settings → Applets), then start Chromet again.");
    if (is("gnome") || is("gnome-classic") || is("ubuntu"))
        return QStringLiteral(
            "GNOME shows tray icons with the AppIndicator and KStatusNotifierItem "
            "Support extension (Debian package "
            "gnome-shell-extension-appindicator): install it, turn it on in "
            "Extensions, then start Chromet again.");
    return QStringLiteral("To get a tray, add a system tray (notification area) to your panel, "
                          "then start Chromet again.");
}
