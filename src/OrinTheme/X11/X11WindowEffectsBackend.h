#pragma once

#include "OrinTheme/WindowEffectsBackend.h"

// WindowEffects on X11, through X11WindowEffects on the windows' X ids and device pixels.
class X11WindowEffectsBackend final : public WindowEffectsBackend {
public:
    std::optional<bool> compositorActive() const override;
    std::optional<bool> blurBehindAvailable() const override;
    void setDrawsOwnShadow(QWidget *window, int margin) override;
    void setBlurBehind(QWidget *window, const QRegion &region) override;
    void setInputRegion(QWidget *window, const QRegion &region) override;
    void setOnAllDesktops(QWidget *window) override;
    void setSkipTaskbar(QWidget *window) override;
};
