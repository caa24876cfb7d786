#pragma once

#include "OrinPaste/SyntheticKeyboard.h"

#include <QMetaObject>

class WaylandConnection;
struct xkb_keymap;
struct zwp_virtual_keyboard_v1;

// Keys typed on a virtual keyboard of the compositor's seat, with the default layout as its
// keymap. The compositor delivers them to whatever has the keyboard; there is no window of
// another client to name or raise.
class WaylandSyntheticKeyboard final : public SyntheticKeyboard {
public:
    // Null where the compositor offers no virtual keyboards.
    static std::unique_ptr<WaylandSyntheticKeyboard> create();
    ~WaylandSyntheticKeyboard() override;

    bool isTrusted() const override { return true; }
    void requestTrust() override {}
    std::optional<WId> frontmost() const override { return std::nullopt; }
    void activate(WId) override {}
    void postKeystroke(quint32 keyCode, quint32 modifiers) override;

private:
    WaylandSyntheticKeyboard(WaylandConnection *connection, zwp_virtual_keyboard_v1 *keyboard,
                             xkb_keymap *keymap);

    WaylandConnection *m_connection;
    zwp_virtual_keyboard_v1 *m_keyboard;
    xkb_keymap *m_keymap;
    QMetaObject::Connection m_closing;
};
