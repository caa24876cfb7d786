#include "OrinTheme/WindowEffects.h"
#include "OrinTheme/ThemeLogging.h"

#include "OrinTheme/WindowEffectsBackend.h"

namespace {

std::optional<bool> &overrideValue() {
    static std::optional<bool> value;
    return value;
}

std::optional<bool> &blurOverrideValue() {
    static std::optional<bool> value;
    return value;
}

std::optional<bool> environmentValue(const char *name = "ORIN_COMPOSITOR") {
    const QByteArray value = qgetenv(name).trimmed();
    if (value == "1")
        return true;
    if (value == "0")
        return false;
    if (!value.isEmpty())
        qCWarning(lcOrinTheme) << name << "should be 0 or 1, not" << value << "; ignored";
    return std::nullopt;
}

} // namespace

bool WindowEffects::compositorActive() {
    if (overrideValue())
        return *overrideValue();
    if (const std::optional<bool> fromEnvironment = environmentValue())
        return *fromEnvironment;
    return WindowEffectsBackend::current().compositorActive().value_or(false);
}

bool WindowEffects::blurBehindAvailable() {
    if (!compositorActive())
        return false;
    if (blurOverrideValue())
        return *blurOverrideValue();
    if (const std::optional<bool> fromEnvironment = environmentValue("ORIN_BLUR"))
        return *fromEnvironment;
    return WindowEffectsBackend::current().blurBehindAvailable().value_or(false);
}

void WindowEffects::setBlurOverride(std::optional<bool> available) {
    blurOverrideValue() = available;
}

void WindowEffects::setCompositorOverride(std::optional<bool> active) {
    overrideValue() = active;
}

std::optional<bool> WindowEffects::compositorOverride() {
    return overrideValue();
}

void WindowEffects::setDrawsOwnShadow(QWidget *window, int margin) {
    WindowEffectsBackend::current().setDrawsOwnShadow(window, margin);
}

void WindowEffects::setBlurBehind(QWidget *window, const QRegion &region) {
    WindowEffectsBackend::current().setBlurBehind(window, region);
}

void WindowEffects::setOnAllDesktops(QWidget *window) {
    WindowEffectsBackend::current().setOnAllDesktops(window);
}

void WindowEffects::setInputRegion(QWidget *window, const QRegion &region) {
    WindowEffectsBackend::current().setInputRegion(window, region);
}

void WindowEffects::setSkipTaskbar(QWidget *window) {
    WindowEffectsBackend::current().setSkipTaskbar(window);
}
