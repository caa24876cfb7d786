#pragma once

#include "OrinPaste/SyntheticKeyboard.h"

struct xcb_connection_t;

// Synthetic keys through the XTEST extension; its presence is the trust check.
class X11SyntheticKeyboard final : public SyntheticKeyboard {
public:
    // Null unless the application runs on X11.
    static std::unique_ptr<X11SyntheticKeyboard> create();

    explicit X11SyntheticKeyboard(xcb_connection_t *connection);

    bool isTrusted() const override;
    void requestTrust() override;
    std::optional<WId> frontmost() const override;
    void activate(WId window) override;
    void postKeystroke(quint32 keyCode, quint32 modifiers) override;

private:
    xcb_connection_t *m_connection = nullptr;
};
