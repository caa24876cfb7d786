#include "Chromet/App/WindowFocus.h"

#include "OrinPlatform/PlatformBackend.h"

#ifndef ORIN_NO_X11
#include "Chromet/App/X11/X11WindowFocus.h"
#endif

namespace {

// Without a window system there is no other window to return to.
class NullWindowFocus : public WindowFocus {
public:
    std::optional<WId> activeWindow() const override { return std::nullopt; }
    void activate(WId) override {}
};

} // namespace

std::unique_ptr<WindowFocus> WindowFocus::createDefault() {
#ifndef ORIN_NO_X11
    if (PlatformBackend::kind() == PlatformBackend::Kind::X11) {
        if (auto x11 = X11WindowFocus::create())
            return x11;
    }
#endif
    return std::make_unique<NullWindowFocus>();
}
