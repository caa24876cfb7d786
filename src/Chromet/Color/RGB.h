#pragma once

// Three channels of one color space, normally in 0...1. Values read back from a file are kept
// exactly as stored, so nothing here clamps.
struct RGB {
    double r = 0;
    double g = 0;
    double b = 0;

    friend bool operator==(const RGB &, const RGB &) = default;
};
