#pragma once

#include "Chromet/Color/PickedColor.h"

#include <QColorSpace>

// Converts components given in `source` into one of the two working spaces with the default
// rendering intent, then clips each channel to 0...1 (no gamut mapping beyond that). An invalid
// source or a failed conversion gives black for that space only.
RGB rgbComponents(const RGB &components, const QColorSpace &source,
                  QColorSpace::NamedColorSpace target);

// Both working spaces at once: what a pixel read from a snapshot becomes.
PickedColor pickedColor(const RGB &components, const QColorSpace &source);
