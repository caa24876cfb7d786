#pragma once

#include "OrinHotkey/KeyboardMap.h"

#include <QString>

#include <memory>
#include <optional>

struct xkb_context;
struct xkb_keymap;

// A KeyboardMap read from an xkbcommon keymap. Of the keymap's layout groups it uses the active
// one when its letter keys are Latin, else the first group whose letter keys are Latin, so a
// Russian+US setup names key 8 "C" as the US group does.
class XkbKeyboardMap : public KeyboardMap {
public:
    // RMLVO names; empty members take xkbcommon's defaults (XKB_DEFAULT_* or evdev/pc105/us).
    struct Names {
        QString rules;
        QString model;
        QString layout;
        QString variant;
        QString options;
    };

    // Null when the names do not compile into a keymap.
    static std::unique_ptr<XkbKeyboardMap> fromNames(const Names &names,
                                                     std::optional<quint32> activeLayout = {});

    // A context whose messages go to the debug log.
    static xkb_context *newContext();

    // Takes over one reference to keymap.
    XkbKeyboardMap(xkb_keymap *keymap, std::optional<quint32> activeLayout);
    ~XkbKeyboardMap() override;
    XkbKeyboardMap(const XkbKeyboardMap &) = delete;
    XkbKeyboardMap &operator=(const XkbKeyboardMap &) = delete;

    std::optional<QString> character(quint32 keyCode) const override;
    std::optional<QString> symbolName(quint32 keyCode) const override;
    std::optional<QString> keysymName(quint32 keyCode) const override;

    // Whether one of the groups has Latin letter keys.
    bool hasLatinLayout() const { return m_layout.has_value(); }
    // The group used for lookups and its name ("English (US)"); empty without a Latin group.
    std::optional<quint32> layoutIndex() const { return m_layout; }
    QString layoutName() const;

private:
    bool isLatin(quint32 layout) const;
    // The key's one unshifted symbol in the group used; 0 (NoSymbol) for none or several.
    quint32 levelZeroSymbol(quint32 keyCode) const;

    xkb_keymap *m_keymap = nullptr;
    std::optional<quint32> m_layout;
};
