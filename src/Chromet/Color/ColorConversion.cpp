#include "Chromet/Color/ColorConversion.h"

#include <QColorTransform>
#include <QtGui/qrgbafloat.h>

#include <array>
#include <cmath>
#include <optional>

namespace {

// Per-channel clipping to 0...1; -0 becomes +0 so stored colors carry no sign of zero.
double clip(double value) {
    if (value <= 0)
        return 0;
    if (value > 1)
        return 1;
    return value;
}

// Building a transform costs about as much as using it, and the loupe converts a pixel into both
// working spaces on every pointer move, so each thread keeps the transforms of the last source
// space it saw. Thread-local, so no locking; the slot index is the target's enum value.
struct TransformCache {
    QColorSpace source;
    std::array<std::optional<QColorTransform>, 8> transforms;
};

QColorTransform transformFor(const QColorSpace &source, QColorSpace::NamedColorSpace target,
                             const QColorSpace &targetSpace) {
    const auto slot = size_t(target);
    if (slot >= std::tuple_size_v<decltype(TransformCache::transforms)>)
        return source.transformationToColorSpace(targetSpace);

    thread_local TransformCache cache;
    if (cache.source != source) {
        cache.source = source;
        cache.transforms.fill(std::nullopt);
    }
    std::optional<QColorTransform> &transform = cache.transforms[slot];
    if (!transform)
        transform = source.transformationToColorSpace(targetSpace);
    return *transform;
}

} // namespace

RGB rgbComponents(const RGB &components, const QColorSpace &source,
                  QColorSpace::NamedColorSpace target) {
    if (!source.isValid())
        return RGB{};
    // Qt warns about an unknown name; the conversion stays silent and gives black.
    if (target < QColorSpace::SRgb || target > QColorSpace::ProPhotoRgb)
        return RGB{};
    const QColorSpace targetSpace(target);
    if (!targetSpace.isValid())
        return RGB{};

    // An identical space needs no matching; passing the doubles through avoids the float round
    // trip of the transform, so an sRGB pixel keeps its exact channel values.
    RGB matched = components;
    if (source != targetSpace) {
        const QColorTransform transform = transformFor(source, target, targetSpace);
        if (!transform.isIdentity()) {
            // The float path leaves out-of-gamut results unclamped (the 8- and 16-bit paths clamp,
            // the QColor path drops to half precision for extended values), so clipping below is
            // ours to do.
            const QRgbaFloat32 mapped = transform.map(
                QRgbaFloat32{float(components.r), float(components.g), float(components.b), 1});
            matched = RGB{mapped.r, mapped.g, mapped.b};
        }
    }
    // A transform that produced no number has failed.
    if (std::isnan(matched.r) || std::isnan(matched.g) || std::isnan(matched.b))
        return RGB{};
    return RGB{clip(matched.r), clip(matched.g), clip(matched.b)};
}

PickedColor pickedColor(const RGB &components, const QColorSpace &source) {
    return PickedColor{rgbComponents(components, source, QColorSpace::SRgb),
                       rgbComponents(components, source, QColorSpace::DisplayP3)};
}
