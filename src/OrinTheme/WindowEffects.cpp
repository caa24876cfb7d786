#include "OrinTheme/WindowEffects.h"

#include "OrinTheme/X11WindowEffects.h"

#include <QLoggingCategory>
#include <QWidget>

namespace {

Q_LOGGING_CATEGORY(lcEffects, "orin.theme")

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
        qCWarning(lcEffects) << name << "should be 0 or 1, not" << value << "; ignored";
    return std::nullopt;
}

quint32 nativeWindow(QWidget *window) {
    if (!window)
        return 0;
    return quint32(window->window()->winId());
}

// The window system counts device pixels.
QRegion nativeRegion(QWidget *window, const QRegion &region) {
    const qreal ratio = window ? window->devicePixelRatioF() : 1.0;
    if (qFuzzyCompare(ratio, 1.0))
        return region;
    QRegion scaled;
    for (const QRect &r : region)
        scaled += QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio).toAlignedRect();
    return scaled;
}

} // namespace

bool WindowEffects::compositorActive() {
    if (overrideValue())
        return *overrideValue();
    if (const std::optional<bool> fromEnvironment = environmentValue())
        return *fromEnvironment;
    return X11WindowEffects::compositorActive().value_or(false);
}

bool WindowEffects::blurBehindAvailable() {
    if (!compositorActive())
        return false;
    if (blurOverrideValue())
        return *blurOverrideValue();
    if (const std::optional<bool> fromEnvironment = environmentValue("ORIN_BLUR"))
        return *fromEnvironment;
    return X11WindowEffects::blurBehindAvailable().value_or(false);
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
    if (!window || !X11WindowEffects::available())
        return;
    X11WindowEffects::setFrameExtents(nativeWindow(window),
                                      qRound(margin * window->devicePixelRatioF()));
}

void WindowEffects::setBlurBehind(QWidget *window, const QRegion &region) {
    if (!X11WindowEffects::available())
        return;
    X11WindowEffects::setBlurBehind(nativeWindow(window), nativeRegion(window, region));
}

void WindowEffects::setOnAllDesktops(QWidget *window) {
    if (!X11WindowEffects::available())
        return;
    X11WindowEffects::setOnAllDesktops(nativeWindow(window));
}

void WindowEffects::setInputRegion(QWidget *window, const QRegion &region) {
    if (!X11WindowEffects::available())
        return;
    X11WindowEffects::setInputRegion(nativeWindow(window), nativeRegion(window, region));
}

void WindowEffects::setSkipTaskbar(QWidget *window) {
    if (!X11WindowEffects::available())
        return;
    X11WindowEffects::addWindowStates(nativeWindow(window),
                                      {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"});
}
