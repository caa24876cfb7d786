#include "Chromet/Picking/Portal/PortalColorPicker.h"

#include "Chromet/Color/ColorConversion.h"
#include "Chromet/Logging/Logging.h"
#include "OrinPlatform/PlatformBackend.h"
#include "OrinPortal/Portal.h"

#include <QDBusArgument>

namespace {

const QString interface = QStringLiteral("org.freedesktop.portal.Screenshot");
// PickColor came with the second version of the interface.
constexpr uint pickColorVersion = 2;

std::optional<RGB> readColor(const QVariant &value) {
    if (!value.canConvert<QDBusArgument>())
        return std::nullopt;
    const QDBusArgument argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("(ddd)"))
        return std::nullopt;
    RGB rgb;
    argument.beginStructure();
    argument >> rgb.r >> rgb.g >> rgb.b;
    argument.endStructure();
    return rgb;
}

} // namespace

std::unique_ptr<PortalColorPicker> PortalColorPicker::create(const QDBusConnection &bus) {
    if (Portal::interfaceVersion(bus, interface) < pickColorVersion)
        return nullptr;
    return std::unique_ptr<PortalColorPicker>(new PortalColorPicker(bus));
}

std::unique_ptr<PortalColorPicker> PortalColorPicker::createForPlatform() {
    if (PlatformBackend::kind() != PlatformBackend::Kind::Wayland ||
        PlatformBackend::capabilities().canCaptureScreen)
        return nullptr;
    auto picker = create(QDBusConnection::sessionBus());
    if (picker)
        qCInfo(lcChromet, "Chromet: the loupe cannot show on this compositor; picks use the "
                          "desktop's own color picker");
    return picker;
}

void PortalColorPicker::pick(Done done) {
    if (m_picking)
        return;
    m_picking = true;
    // No parent window: a pick from the shortcut or the tray has none.
    PortalRequest::call(
        m_bus, interface, QStringLiteral("PickColor"), {QString()}, {}, this,
        [this, done = std::move(done)](uint code, const QVariantMap &results) {
            m_picking = false;
            const std::optional<RGB> srgb = code == PortalRequest::Success
                                                ? readColor(results.value(QStringLiteral("color")))
                                                : std::nullopt;
            if (!srgb && code != PortalRequest::Cancelled)
                qCWarning(lcChromet, "Chromet: the desktop's color picker gave no color");
            done(srgb ? std::optional(pickedColor(*srgb, QColorSpace(QColorSpace::SRgb)))
                      : std::nullopt);
        });
}
