#include "Chromet/Picking/PermissionChecker.h"

#include "OrinPlatform/PlatformBackend.h"

#ifndef ORIN_NO_X11
#include "Chromet/Picking/X11/X11PermissionChecker.h"
#endif
#ifndef ORIN_NO_WAYLAND
#include "Chromet/Picking/Wayland/WaylandPermissionChecker.h"
#endif

namespace {

// Where no backend can read the screen: never granted, and nothing to ask or open.
class NullPermissionChecker final : public PermissionChecker {
public:
    void check(Answer answer) override { answer(false); }
    void request() override {}
    bool hasSettings() const override { return false; }
    void openSettings() override {}
    QString deniedReason() const override {
        return QStringLiteral("Picking colors is not available here: ") +
               PlatformBackend::nullReason() + QLatin1Char('.');
    }
};

} // namespace

std::unique_ptr<PermissionChecker> PermissionChecker::createDefault() {
#ifndef ORIN_NO_X11
    if (PlatformBackend::kind() == PlatformBackend::Kind::X11)
        return std::make_unique<X11PermissionChecker>();
#endif
#ifndef ORIN_NO_WAYLAND
    if (PlatformBackend::kind() == PlatformBackend::Kind::Wayland)
        return std::make_unique<WaylandPermissionChecker>();
#endif
    return std::make_unique<NullPermissionChecker>();
}
