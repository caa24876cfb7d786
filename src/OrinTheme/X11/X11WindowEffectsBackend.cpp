#include "OrinTheme/X11/X11WindowEffectsBackend.h"

#include "OrinTheme/X11/X11WindowEffects.h"

#include <QWidget>

namespace {

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

std::optional<bool> X11WindowEffectsBackend::compositorActive() const {
    return X11WindowEffects::compositorActive();
}

std::optional<bool> X11WindowEffectsBackend::blurBehindAvailable() const {
    return X11WindowEffects::blurBehindAvailable();
}

void X11WindowEffectsBackend::setDrawsOwnShadow(QWidget *window, int margin) {
    if (!window || !X11WindowEffects::available())
        return;
    X11WindowEffects::setFrameExtents(nativeWindow(window),
                                      qRound(margin * window->devicePixelRatioF()));
}

void X11WindowEffectsBackend::setBlurBehind(QWidget *window, const QRegion &region) {
    if (!X11WindowEffects::available())
        return;
    X11WindowEffects::setBlurBehind(nativeWindow(window), nativeRegion(window, region));
}

void X11WindowEffectsBackend::setInputRegion(QWidget *window, const QRegion &region) {
    if (!X11WindowEffects::available())
        return;
    X11WindowEffects::setInputRegion(nativeWindow(window), nativeRegion(window, region));
}

void X11WindowEffectsBackend::setOnAllDesktops(QWidget *window) {
    if (!X11WindowEffects::available())
        return;
    X11WindowEffects::setOnAllDesktops(nativeWindow(window));
}

void X11WindowEffectsBackend::setSkipTaskbar(QWidget *window) {
    if (!X11WindowEffects::available())
        return;
    X11WindowEffects::addWindowStates(nativeWindow(window),
                                      {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"});
}
