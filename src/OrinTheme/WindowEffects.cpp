#include "OrinTheme/WindowEffects.h"
#include "OrinTheme/ThemeLogging.h"

#ifndef ORIN_NO_X11
#include "OrinTheme/X11/X11WindowEffects.h"
#endif

#include <QWidget>

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

#ifndef ORIN_NO_X11
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
#endif

} // namespace

bool WindowEffects::compositorActive() {
    if (overrideValue())
        return *overrideValue();
    if (const std::optional<bool> fromEnvironment = environmentValue())
        return *fromEnvironment;
#ifndef ORIN_NO_X11
    return X11WindowEffects::compositorActive().value_or(false);
#else
    return false;
#endif
}

bool WindowEffects::blurBehindAvailable() {
    if (!compositorActive())
        return false;
    if (blurOverrideValue())
        return *blurOverrideValue();
    if (const std::optional<bool> fromEnvironment = environmentValue("ORIN_BLUR"))
        return *fromEnvironment;
#ifndef ORIN_NO_X11
    return X11WindowEffects::blurBehindAvailable().value_or(false);
#else
    return false;
#endif
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
#ifndef ORIN_NO_X11
    if (!window || !X11WindowEffects::available())
        return;
    X11WindowEffects::setFrameExtents(nativeWindow(window),
                                      qRound(margin * window->devicePixelRatioF()));
#else
    Q_UNUSED(window)
    Q_UNUSED(margin)
#endif
}

void WindowEffects::setBlurBehind(QWidget *window, const QRegion &region) {
#ifndef ORIN_NO_X11
    if (!X11WindowEffects::available())
        return;
    X11WindowEffects::setBlurBehind(nativeWindow(window), nativeRegion(window, region));
#else
    Q_UNUSED(window)
    Q_UNUSED(region)
#endif
}

void WindowEffects::setOnAllDesktops(QWidget *window) {
#ifndef ORIN_NO_X11
    if (!X11WindowEffects::available())
        return;
    X11WindowEffects::setOnAllDesktops(nativeWindow(window));
#else
    Q_UNUSED(window)
#endif
}

void WindowEffects::setInputRegion(QWidget *window, const QRegion &region) {
#ifndef ORIN_NO_X11
    if (!X11WindowEffects::available())
        return;
    X11WindowEffects::setInputRegion(nativeWindow(window), nativeRegion(window, region));
#else
    Q_UNUSED(window)
    Q_UNUSED(region)
#endif
}

void WindowEffects::setSkipTaskbar(QWidget *window) {
#ifndef ORIN_NO_X11
    if (!X11WindowEffects::available())
        return;
    X11WindowEffects::addWindowStates(nativeWindow(window),
                                      {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"});
#else
    Q_UNUSED(window)
#endif
}
