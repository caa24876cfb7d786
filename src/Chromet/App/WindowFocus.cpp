#include "Chromet/App/WindowFocus.h"

#include "Chromet/App/X11WindowFocus.h"

namespace {

// Without a window system there is no other window to return to.
class NoWindowFocus : public WindowFocus {
public:
    std::optional<WId> activeWindow() const override { return std::nullopt; }
    void activate(WId) override {}
};

} // namespace

std::unique_ptr<WindowFocus> WindowFocus::createDefault() {
    if (auto x11 = X11WindowFocus::create())
        return x11;
    return std::make_unique<NoWindowFocus>();
}
