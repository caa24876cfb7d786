#include "OrinHotkey/HotKeyBackend.h"

#include "OrinHotkey/X11HotKeyBackend.h"

#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcBackend, "orin.hotkey")

// Without an X server (Wayland sessions, offscreen runs) there is no global key grab to use.
class UnavailableHotKeyBackend final : public HotKeyBackend {
public:
    void installHandler(Handler) override {}
    std::optional<Ref> registerHotKey(const HotKeyCombo &, HotKeyIdentifier) override {
        return std::nullopt;
    }
    void unregisterHotKey(Ref) override {}
};

} // namespace

std::unique_ptr<HotKeyBackend> HotKeyBackend::createDefault() {
    if (auto x11 = X11HotKeyBackend::create())
        return x11;
    qCWarning(lcBackend) << "not running on X11: global shortcuts are unavailable";
    return std::make_unique<UnavailableHotKeyBackend>();
}
