#pragma once

#include "Chromet/Color/RGB.h"

#include <QColor>
#include <QFont>
#include <QPalette>

// Colours and type shared by the contrast checker's views. Sizes are logical pixels.
namespace ContrastStyle {

// A Display P3 triple as the colour to paint on screen. Windows are not colour managed here, so
// the screen is taken to be sRGB: the triple is matched into sRGB (clipped to its gamut).
QColor displayColor(const RGB &p3);

// The secondary text colour: the palette's text colour, dimmed.
QColor secondary(const QPalette &palette);
// The outline of swatches and the sample: the text colour at low opacity.
QColor outline(const QPalette &palette);
QColor passGreen(const QPalette &palette);
QColor failRed(const QPalette &palette);

// The application font at `pixelSize` with `weight`.
QFont font(int pixelSize, QFont::Weight weight = QFont::Normal);
// The fixed-pitch system font at `pixelSize`.
QFont monospacedFont(int pixelSize);

// The platform's text styles, in logical pixels.
inline constexpr int captionSize = 10;
inline constexpr int calloutSize = 12;
inline constexpr int bodySize = 13;
inline constexpr int headlineSize = 13;

} // namespace ContrastStyle
