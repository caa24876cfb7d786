#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

// Pixel assertions without hand-written loops: where in an image (or in one area of it) the
// pixels that pass a test lie, and how many there are.
struct ImageProbe {
    QRect bounds; // empty when no pixel passes
    int count = 0;
    explicit operator bool() const { return count > 0; }
};

template <typename Test> ImageProbe probe(const QImage &image, Test &&passes, QRect area = {}) {
    area = area.isNull() ? image.rect() : area & image.rect();
    ImageProbe result;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (passes(image.pixelColor(x, y))) {
                result.bounds |= QRect(x, y, 1, 1);
                ++result.count;
            }
        }
    }
    return result;
}
