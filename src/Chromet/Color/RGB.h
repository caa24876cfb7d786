#pragma once

#include <QHashFunctions>

#include <cstddef>

// Three channels of one color space, normally in 0...1. Values read back from a file are kept
// exactly as stored, so nothing here clamps.
struct RGB {
    double r = 0;
    double g = 0;
    double b = 0;

    friend bool operator==(const RGB &, const RGB &) = default;
};

// -0.0 and +0.0 compare equal, so they must hash equally.
inline size_t hashChannel(double value, size_t seed) {
    return qHashMulti(seed, value == 0.0 ? 0.0 : value);
}

inline size_t qHash(const RGB &rgb, size_t seed = 0) {
    return hashChannel(rgb.b, hashChannel(rgb.g, hashChannel(rgb.r, seed)));
}
