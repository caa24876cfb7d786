#pragma once

#include <QRegion>

#include <optional>

class QWidget;

// The window system's side of WindowEffects: what its compositor offers, and the hints that ask
// for it. The null backend knows of no compositor and sends no hint.
class WindowEffectsBackend {
public:
    virtual ~WindowEffectsBackend() = default;

    // Nothing where the window system cannot tell.
    virtual std::optional<bool> compositorActive() const = 0;
    virtual std::optional<bool> blurBehindAvailable() const = 0;
    virtual void setDrawsOwnShadow(QWidget *window, int margin) = 0;
    virtual void setBlurBehind(QWidget *window, const QRegion &region) = 0;
    virtual void setInputRegion(QWidget *window, const QRegion &region) = 0;
    virtual void setOnAllDesktops(QWidget *window) = 0;
    virtual void setSkipTaskbar(QWidget *window) = 0;

    // The backend of PlatformBackend::kind(), made anew when that changes (an application made
    // after a first call).
    static WindowEffectsBackend &current();
};
