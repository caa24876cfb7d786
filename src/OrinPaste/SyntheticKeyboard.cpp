#include "OrinPaste/SyntheticKeyboard.h"

#include "OrinPaste/X11SyntheticKeyboard.h"

#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcKeyboard, "orin.paste")

class UnavailableKeyboard final : public SyntheticKeyboard {
public:
    bool isTrusted() const override { return false; }
    void requestTrust() override {
        qCWarning(lcKeyboard) << "keystrokes cannot be sent to other applications outside X11";
    }
    std::optional<WId> frontmost() const override { return std::nullopt; }
    void activate(WId) override {}
    void postKeystroke(quint32, quint32) override {}
};

} // namespace

std::unique_ptr<SyntheticKeyboard> SyntheticKeyboard::createDefault() {
    if (auto x11 = X11SyntheticKeyboard::create())
        return x11;
    return std::make_unique<UnavailableKeyboard>();
}
