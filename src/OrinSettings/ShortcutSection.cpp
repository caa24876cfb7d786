#include "OrinSettings/ShortcutSection.h"

#include "OrinHotkey/HotKeyRecorder.h"
#include "OrinHotkey/KeyCaps.h"
#include "OrinSettings/SettingsRow.h"

ShortcutSection::ShortcutSection(const QString &label, const QString &detail,
                                 Binding<HotKeyCombo> combo, const HotKeyCombo &defaultCombo,
                                 const QList<KeyHint> &inPanel, const QList<QWidget *> &extra,
                                 QWidget *parent)
    : SettingsSection(QStringLiteral("Shortcut"), parent)
    , m_combo(std::move(combo)) {
    m_recorder = new HotKeyRecorder(m_combo.get ? m_combo.get() : defaultCombo, defaultCombo);
    connect(m_recorder, &HotKeyRecorder::comboEdited, this, [this](const HotKeyCombo &edited) {
        if (m_combo.set)
            m_combo.set(edited);
        refresh();
    });
    addRow(new SettingsRow(label, detail, m_recorder));
    for (QWidget *row : extra)
        addRow(row);
    if (!inPanel.isEmpty()) {
        addCaption(QStringLiteral("In the panel"));
        for (const KeyHint &hint : inPanel)
            addRow(new SettingsRow(hint.label, QString(), new KeyCaps(hint.keys)));
    }
    setFooter(QStringLiteral("Click the shortcut, then press a new one. Esc cancels."));
}

void ShortcutSection::refresh() {
    if (m_combo.get)
        m_recorder->setCombo(m_combo.get());
}

void ShortcutSection::showEvent(QShowEvent *event) {
    refresh();
    SettingsSection::showEvent(event);
}
