#pragma once

#include "Chromet/Color/RGB.h"

#include <QString>

// Number and color helpers shared by the code formats, the palette export and the contrast
// checker. Everything here is independent of the process locale.

// printf "%.<decimals>f" in the POSIX locale; with trimZeros, trailing zeros and a trailing period
// are removed; "-0" becomes "0".
QString formatNumber(double value, int decimals, bool trimZeros);

// A channel as a byte: <= 0 gives 0, otherwise min(c, 1) * 255 rounded half away from zero.
int channelByte(double channel);

// "#RRGGBB" from the three channel bytes.
QString hexString(const RGB &rgb, bool lowercase);

struct HSL {
    double h = 0; // degrees, 0 <= h < 360
    double s = 0; // 0...1
    double l = 0; // 0...1
};
HSL hsl(const RGB &rgb);

struct OKLab {
    double L = 0;
    double a = 0;
    double b = 0;
};
OKLab oklab(const RGB &srgb);

struct OKLCH {
    double L = 0;
    double C = 0;
    double H = 0; // degrees, 0 <= H < 360; 0 when the chroma is below 0.0001
};
OKLCH oklch(const OKLab &lab);

// sRGB transfer function, decoding direction.
double linearizedChannel(double c);
