#include "Chromet/Settings/GeneralPage.h"

#include "Chromet/App/Preferences.h"
#include "Chromet/Color/ColorFormat.h"
#include "OrinSettings/AppSection.h"
#include "OrinSettings/CommandBinding.h"
#include "OrinSettings/DesktopKeyBinding.h"
#include "OrinSettings/DockIcon.h"
#include "OrinSettings/SettingsRow.h"
#include "OrinSettings/SettingsSection.h"
#include "OrinSettings/SettingsSwitch.h"
#include "OrinSettings/ShortcutSection.h"

#include <QComboBox>
#include <QSignalBlocker>

GeneralPage::GeneralPage(Preferences &prefs, LaunchAtLogin *launchAtLogin,
                         ApplyDockIcon applyDockIcon, bool canGrabShortcuts, QWidget *parent)
    : SettingsForm(parent)
    , m_prefs(prefs) {
    Preferences *const p = &m_prefs;

    if (!canGrabShortcuts) {
        // A recorder here could not act: the desktop's own key bindings can run a pick instead.
        auto *section = new SettingsSection(QStringLiteral("Shortcut"));
        const DesktopKeyBinding binding =
            DesktopKeyBinding::current(QStringLiteral("Chromet"), QStringLiteral("chromet pick"),
                                       prefs.hotKey().displayString());
        m_pickCommand = new CommandBinding(binding.text);
        section->addRow(
            new SettingsRow(QStringLiteral("Pick Color"), binding.explanation, m_pickCommand));
        addSection(section);
    } else {
        m_shortcut =
            new ShortcutSection(QStringLiteral("Pick Color"), QStringLiteral("Works in every app."),
                                Binding<HotKeyCombo>{[p] { return p->hotKey(); },
                                                     [p](const HotKeyCombo &combo) {
                                                         p->setHotKey(combo);
                                                     }},
                                Preferences::defaultHotKey);
        addSection(m_shortcut);
        connect(p, &Preferences::hotKeyChanged, m_shortcut, &ShortcutSection::refresh);
    }

    m_copy = new SettingsSection(QStringLiteral("Copy"));
    m_format = new QComboBox;
    for (const ColorFormat format : ColorFormats::allCases())
        m_format->addItem(ColorFormats::displayName(format), QVariant::fromValue(int(format)));
    const auto showFormat = [this](ColorFormat format) {
        const QSignalBlocker blocker(m_format);
        m_format->setCurrentIndex(m_format->findData(QVariant::fromValue(int(format))));
    };
    showFormat(p->defaultFormat());
    connect(m_format, &QComboBox::currentIndexChanged, this, [this, p](int index) {
        if (index >= 0)
            p->setDefaultFormat(ColorFormat(m_format->itemData(index).toInt()));
    });
    connect(p, &Preferences::defaultFormatChanged, m_format, showFormat);
    m_copy->addRow(new SettingsRow(QStringLiteral("Default format"),
                                   QStringLiteral("Copied after every pick."), m_format));

    m_lowercaseHex = new SettingsSwitch;
    m_lowercaseHex->setChecked(p->lowercaseHex());
    connect(m_lowercaseHex, &SettingsSwitch::toggled, p, &Preferences::setLowercaseHex);
    connect(p, &Preferences::lowercaseHexChanged, m_lowercaseHex, [this](bool lowercase) {
        const QSignalBlocker blocker(m_lowercaseHex);
        m_lowercaseHex->setChecked(lowercase);
    });
    m_copy->addRow(new SettingsRow(QStringLiteral("Lowercase HEX"),
                                   QStringLiteral("#3a7bd5 instead of #3A7BD5."), m_lowercaseHex));
    addSection(m_copy);

    if (!applyDockIcon)
        applyDockIcon = [](bool visible) {
            DockIcon::apply(visible);
        };
    m_app = new AppSection(QStringLiteral("Chromet"), launchAtLogin,
                           Binding<bool>{[p] { return p->showDockIcon(); },
                                         [p](const bool &show) {
                                             p->setShowDockIcon(show);
                                         }},
                           std::move(applyDockIcon));
    addSection(m_app);
    connect(p, &Preferences::showDockIconChanged, m_app, &AppSection::showBoundValues);
}

void GeneralPage::setAssignedTrigger(std::function<QString()> describe) {
    m_assignedTrigger = std::move(describe);
    showAssignedTrigger();
}

void GeneralPage::showEvent(QShowEvent *event) {
    showAssignedTrigger();
    SettingsForm::showEvent(event);
}

void GeneralPage::showAssignedTrigger() {
    const QString assigned = m_assignedTrigger ? m_assignedTrigger() : QString();
    if (m_shortcut && !assigned.isEmpty())
        m_shortcut->setFooter(QStringLiteral("Your desktop runs Pick Color on %1; its keyboard "
                                             "settings change that. Click the shortcut to ask "
                                             "for another.")
                                  .arg(assigned));
}
