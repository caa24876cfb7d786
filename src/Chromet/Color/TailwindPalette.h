#pragma once

#include "Chromet/Color/RGB.h"

#include <QString>

struct TailwindMatch {
    QString name;
    double distance = 0;
};

// Nearest of the 288 named palette colors by OKLab distance; ties keep the earlier entry. The
// prepared table is built once, thread-safely, on first use.
TailwindMatch nearestTailwind(const RGB &srgb);

// Below this distance a match counts as exact.
inline constexpr double tailwindExactDistance = 0.002;
