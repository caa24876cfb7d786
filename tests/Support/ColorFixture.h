#pragma once

#include <QColor>
#include <QRgb>

// The color fixture's pattern: every pixel of its window has its own color, so a picked code tells
// exactly which pixel was read. In window-local device pixels, red is x and green is y within
// each 256 x 256 block, and blue counts the blocks (up to 8 x 8) above 0x40.
// Several screens show it at once with the top bit of blue set on every screen but the first.
inline QRgb colorFixturePixel(int x, int y, int screen = 0) {
    const int blue = 0x40 + (x >> 8) + ((y >> 8) << 3) + (screen > 0 ? 0x80 : 0);
    return qRgb(x & 0xff, y & 0xff, blue);
}
