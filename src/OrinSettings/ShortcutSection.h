#pragma once

#include "OrinHotkey/HotKeyCombo.h"
#include "OrinSettings/Binding.h"
#include "OrinSettings/SettingsSection.h"

#include <QList>
#include <QString>
#include <QStringList>

class HotKeyRecorder;

// The "Shortcut" section: the global shortcut's recorder in a labelled row, the caller's further
// rows, and an optional list of keys that work inside the application's panel.
class ShortcutSection : public SettingsSection {
    Q_OBJECT

public:
    // One line of the "In the panel" list: what the keys do, and the keys.
    struct KeyHint {
        QString label;
        QStringList keys;
    };

    ShortcutSection(const QString &label, const QString &detail, Binding<HotKeyCombo> combo,
                    const HotKeyCombo &defaultCombo, const QList<KeyHint> &inPanel = {},
                    const QList<QWidget *> &extra = {}, QWidget *parent = nullptr);

    HotKeyRecorder *recorder() const { return m_recorder; }

    // Shows the bound combination again (it changed elsewhere).
    void refresh();

protected:
    void showEvent(QShowEvent *event) override;

private:
    Binding<HotKeyCombo> m_combo;
    HotKeyRecorder *m_recorder = nullptr;
};
