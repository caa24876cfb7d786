#pragma once

#include <QImage>
#include <QRgb>

// The color fixture's pattern: every pixel of its window has its own color, so a picked code tells
// exactly which pixel was read. In window-local device pixels, red is x and green is y within
// each 256 x 256 block, and blue counts the blocks (up to 8 x 8) above `blue`.
inline QRgb colorFixturePixel(int x, int y, int blue = 0x40) {
    return qRgb(x & 0xff, y & 0xff, blue + (x >> 8) + ((y >> 8) << 3));
}

// The pattern's blue base on each of several screens shown at once.
inline int colorFixtureBlue(int screen) {
    return screen > 0 ? 0xC0 : 0x40;
}

inline QImage colorFixtureImage(QSize size, int blue = 0x40) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = colorFixturePixel(x, y, blue);
    }
    return image;
}
