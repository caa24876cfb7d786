#include "OrinTheme/WindowEffectsBackend.h"

#include "OrinPlatform/PlatformBackend.h"

#ifndef ORIN_NO_X11
#include "OrinTheme/X11/X11WindowEffectsBackend.h"
#endif

#include <memory>

namespace {

class NullWindowEffectsBackend final : public WindowEffectsBackend {
public:
    std::optional<bool> compositorActive() const override { return std::nullopt; }
    std::optional<bool> blurBehindAvailable() const override { return std::nullopt; }
    void setDrawsOwnShadow(QWidget *, int) override {}
    void setBlurBehind(QWidget *, const QRegion &) override {}
    void setInputRegion(QWidget *, const QRegion &) override {}
    void setOnAllDesktops(QWidget *) override {}
    void setSkipTaskbar(QWidget *) override {}
};

std::unique_ptr<WindowEffectsBackend> create(PlatformBackend::Kind kind) {
#ifndef ORIN_NO_X11
    if (kind == PlatformBackend::Kind::X11)
        return std::make_unique<X11WindowEffectsBackend>();
#else
    Q_UNUSED(kind)
#endif
    return std::make_unique<NullWindowEffectsBackend>();
}

} // namespace

WindowEffectsBackend &WindowEffectsBackend::current() {
    // Main thread only, as every window is.
    static std::unique_ptr<WindowEffectsBackend> backend;
    static PlatformBackend::Kind madeFor = PlatformBackend::Kind::Null;
    const PlatformBackend::Kind kind = PlatformBackend::kind();
    if (!backend || kind != madeFor) {
        backend = create(kind);
        madeFor = kind;
    }
    return *backend;
}
