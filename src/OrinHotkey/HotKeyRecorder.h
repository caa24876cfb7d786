#pragma once

#include "OrinHotkey/HotKeyCombo.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class KeyCaps;
class QAbstractButton;
class QLabel;
class QToolButton;
class QVariantAnimation;
class RecorderKeySource;

// The control in which the user records a new global shortcut: click the field, press the
// keys. An accepted combination is announced through comboEdited() (the owner stores it); Esc
// cancels; the reset button, shown while the combination differs from the default, restores the
// default. While recording, every key press of the application goes to the recorder and no
// window shortcut or global shortcut of this application fires.
class HotKeyRecorder : public QWidget {
    Q_OBJECT

public:
    // What a key press does while recording.
    enum class Decision {
        cancel, // Escape: stop, keep the combination
        wait,   // a modifier key alone: keep waiting quietly
        reject, // no modifier, Shift alone, or a key the editing and window commands need: beep
        accept, // store the combination and stop
    };
    // `keyCode` is empty for a key that has no key code; `modifierKey` tells that the key
    // itself is a modifier (Shift, Control, Alt, Super, Caps Lock...).
    static Decision decide(std::optional<quint32> keyCode, Qt::KeyboardModifiers modifiers,
                           bool modifierKey);
    // Whether a Qt key is one of the modifier keys.
    static bool isModifierKey(int qtKey);

    HotKeyRecorder(const HotKeyCombo &combo, const HotKeyCombo &defaultCombo,
                   QWidget *parent = nullptr);
    ~HotKeyRecorder() override;

    HotKeyCombo combo() const { return m_combo; }
    // Shows `combo` without announcing it (the stored value changed elsewhere).
    void setCombo(const HotKeyCombo &combo);
    HotKeyCombo defaultCombo() const { return m_defaultCombo; }

    bool isRecording() const { return m_recording; }
    void startRecording();
    // Harmless when not recording.
    void stopRecording();

    // What plays the rejection sound; QApplication::beep() unless replaced.
    void setBeep(std::function<void()> beep);

    // A key press while recording (from a window of the application, or a global shortcut of
    // this application pressed while one of its windows has the focus).
    void handleKey(std::optional<quint32> keyCode, Qt::KeyboardModifiers modifiers,
                   bool modifierKey);

    QAbstractButton *field() const;
    QToolButton *resetButton() const { return m_reset; }
    KeyCaps *keyCaps() const { return m_caps; }

Q_SIGNALS:
    // A new combination was recorded or the default restored; the owner stores it.
    void comboEdited(const HotKeyCombo &combo);
    void recordingChanged(bool recording);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void writeCombo(const HotKeyCombo &combo);
    void updateState();

    HotKeyCombo m_combo;
    HotKeyCombo m_defaultCombo;
    bool m_recording = false;
    bool m_filtering = false;
    std::function<void()> m_beep;

    class Field;
    Field *m_field = nullptr;
    KeyCaps *m_caps = nullptr;
    QLabel *m_prompt = nullptr;
    QToolButton *m_reset = nullptr;
    QVariantAnimation *m_animation = nullptr;
    std::unique_ptr<RecorderKeySource> m_x11Keys;
};
