#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <Qt>

#include <optional>

// A global shortcut as a value: a layout-independent key code and a modifier mask in the Carbon
// hot-key encoding. Masks built from key events always pass through carbonFlags() first.
struct HotKeyCombo {
    static constexpr quint32 cmdKey = 0x0100;
    static constexpr quint32 shiftKey = 0x0200;
    static constexpr quint32 optionKey = 0x0800;
    static constexpr quint32 controlKey = 0x1000;

    quint32 keyCode = 0;
    quint32 modifiers = 0;

    constexpr HotKeyCombo() = default;
    constexpr HotKeyCombo(quint32 keyCode, quint32 modifiers)
        : keyCode(keyCode)
        , modifiers(modifiers) {}

    // Control -> control, Alt -> option, Shift -> shift, Meta (Super) -> command; the keypad and
    // group-switch flags are dropped.
    static quint32 carbonFlags(Qt::KeyboardModifiers flags);

    // "Ctrl+Alt+C": the set modifiers in the order Ctrl, Alt, Shift, Super (the command bit),
    // then the key's name, joined with "+" as Linux desktops write shortcuts.
    QString displayString() const;
    // The same pieces, one per key cap: ["Ctrl", "Alt", "C"].
    QStringList keyCaps() const;

    // Stored form {"keyCode":8,"modifiers":6144}. Decoding needs both members as whole numbers
    // in 0...4294967295 and ignores any others.
    QJsonObject toJson() const;
    QByteArray toJsonBytes() const;
    static std::optional<HotKeyCombo> fromJson(const QJsonValue &value);
    static std::optional<HotKeyCombo> fromJsonBytes(const QByteArray &json);

    friend constexpr bool operator==(const HotKeyCombo &, const HotKeyCombo &) = default;
};
