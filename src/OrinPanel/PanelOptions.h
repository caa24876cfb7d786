#pragma once

#include <QSize>
#include <QString>

#include <optional>

// How a floating panel may be sized and whether it remembers where it was.
struct PanelOptions {
    bool resizable = false;
    // The smallest content size the user may resize to.
    std::optional<QSize> minSize;
    // When set, the panel's frame is remembered per display under this key.
    std::optional<QString> frameAutosaveKey;
};
