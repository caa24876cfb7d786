#pragma once

#include "Chromet/Color/PickedColor.h"

#include <QImage>
#include <QPoint>
#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>

// The pointer-in-rectangle rule for Qt's y-down geometry: the left and top edges belong to the
// rectangle, the right and bottom edges do not.
inline bool frameContains(const QRectF &frame, const QPointF &global) {
    return global.x() >= frame.left() && global.x() < frame.right() && global.y() >= frame.top() &&
           global.y() < frame.bottom();
}

// One display's still image, taken when a pick starts. Everything the loupe shows and picks is
// read from it, never from the live screen. Geometry is Qt's: global logical coordinates,
// top-left origin, y down. The image is in device pixels and carries its own color space.
struct ScreenSnapshot {
    quint32 displayID = 0;
    QString screenName; // QScreen::name() of the display
    QRectF frame;       // the screen's logical geometry
    // The display's pixels, row 0 at the top: all of them, or only those in `captured`.
    QImage image;
    // A pick starts with a small area around the pointer, read far quicker than the display, and
    // everything outside it reads as unknown until the whole display follows. For such a
    // snapshot, where `image` lies on the display (device pixels) and the display's size; null
    // when `image` is the whole display.
    QRect captured;
    QSize displayPixels;

    QSize pixelSize() const { return captured.isNull() ? image.size() : displayPixels; }
    QRect capturedPixels() const {
        return captured.isNull() ? image.rect() : captured & QRect(QPoint(), displayPixels);
    }
    bool isPartial() const { return capturedPixels() != QRect(QPoint(), pixelSize()); }
    // The display pixel at the image's top-left corner.
    QPoint imageOrigin() const { return captured.isNull() ? QPoint() : captured.topLeft(); }

    // Device pixels per logical point: display width in pixels / frame width, for both axes.
    double scale() const;
    bool contains(const QPointF &global) const { return frameContains(frame, global); }

    // The pixel under a global point: inside when left <= x < right and top <= y < bottom.
    std::optional<QPoint> pixelAt(const QPointF &global) const;
    // The pixel read in the image's color space and converted into sRGB and Display P3; none
    // for a pixel not captured.
    std::optional<PickedColor> colorAtPixel(int column, int row) const;

    struct LensCrop {
        QImage image;  // the visible part of the n x n block
        QPoint offset; // cells to shift the crop right and down when clipped at the left/top
    };
    std::optional<LensCrop> lensCrop(int centreColumn, int centreRow, int n) const;

    // Mean relative luminance (0...1) of a rectangle in display-local points (top-left origin).
    std::optional<double> averageLuminance(const QRectF &local) const;
};
