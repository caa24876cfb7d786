#include "OrinPaste/SyntheticKeyboard.h"

#include "OrinPaste/PasteLogging.h"
#include "OrinPlatform/PlatformBackend.h"

#ifndef ORIN_NO_X11
#include "OrinPaste/X11/X11SyntheticKeyboard.h"
#endif
#ifndef ORIN_NO_WAYLAND
#include "OrinPaste/Wayland/WaylandSyntheticKeyboard.h"
#endif

namespace {

// Keystrokes cannot reach other applications (PlatformBackend says so once).
class NullKeyboard final : public SyntheticKeyboard {
public:
    bool isTrusted() const override { return false; }
    void requestTrust() override {}
    std::optional<WId> frontmost() const override { return std::nullopt; }
    void activate(WId) override {}
    void postKeystroke(quint32, quint32) override {}
};

} // namespace

std::unique_ptr<SyntheticKeyboard> SyntheticKeyboard::createDefault() {
#ifndef ORIN_NO_X11
    if (PlatformBackend::kind() == PlatformBackend::Kind::X11) {
        if (auto x11 = X11SyntheticKeyboard::create())
            return x11;
    }
#endif
#ifndef ORIN_NO_WAYLAND
    if (PlatformBackend::kind() == PlatformBackend::Kind::Wayland) {
        if (auto wayland = WaylandSyntheticKeyboard::create())
            return wayland;
        qCInfo(lcOrinPaste, "Chromet: the compositor offers no virtual keyboard: pasting after a "
                            "pick is skipped");
    }
#endif
    return std::make_unique<NullKeyboard>();
}
