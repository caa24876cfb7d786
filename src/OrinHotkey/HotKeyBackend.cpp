#include "OrinHotkey/HotKeyBackend.h"

#include "OrinHotkey/Portal/PortalHotKeyBackend.h"
#include "OrinPlatform/PlatformBackend.h"

#include <QDBusConnection>

#ifndef ORIN_NO_X11
#include "OrinHotkey/X11/X11HotKeyBackend.h"
#endif

namespace {

// No global key grab to use (offscreen runs, sessions without a backend).
class NullHotKeyBackend final : public HotKeyBackend {
public:
    void installHandler(Handler) override {}
    void registerHotKey(const HotKeyCombo &, HotKeyIdentifier, Answer answer) override {
        answer(std::nullopt);
    }
    void unregisterHotKey(Ref) override {}
    bool canGrabShortcuts() const override { return false; }
};

} // namespace

std::unique_ptr<HotKeyBackend> HotKeyBackend::createDefault() {
#ifndef ORIN_NO_X11
    if (PlatformBackend::kind() == PlatformBackend::Kind::X11) {
        if (auto x11 = X11HotKeyBackend::create())
            return x11;
    }
#endif
    // Wayland clients see no keys of other windows: the desktop binds shortcuts for them.
    if (PlatformBackend::kind() == PlatformBackend::Kind::Wayland) {
        if (auto portal = PortalHotKeyBackend::create(QDBusConnection::sessionBus()))
            return portal;
    }
    return std::make_unique<NullHotKeyBackend>();
}
