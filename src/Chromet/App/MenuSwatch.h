#pragma once

#include "Chromet/Color/RGB.h"

#include <QIcon>
#include <QImage>
#include <QRectF>

class QPainter;

// The small color square beside history and palette colors in the status menu: 14 x 14 points,
// inset half a point, corners of radius 3, filled with the sRGB color at full opacity and outlined
// in black at 20 % with a line width of 1.
namespace MenuSwatch {

inline constexpr double side = 14;

// Paints the swatch centred in `rect`, scaled down when the rect is smaller than the swatch.
// Channels outside 0...1 are clamped.
void paint(QPainter *painter, const QRectF &rect, const RGB &srgb);
// The swatch alone, 14 x 14 points at the given device pixel ratio.
QImage render(const RGB &srgb, qreal devicePixelRatio);
// An icon that draws the swatch at whatever size and device pixel ratio it is asked for.
QIcon icon(const RGB &srgb);

} // namespace MenuSwatch
