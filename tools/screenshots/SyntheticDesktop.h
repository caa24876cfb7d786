#pragma once

#include "Chromet/Picking/ScreenSnapshot.h"

#include <QImage>
#include <QPointF>
#include <QRectF>

// A made-up desktop to pick from: a colorful wallpaper, a few windows with text, swatches and a
// white document, drawn at the display's device pixel ratio so the loupe's cells are real pixels.
class SyntheticDesktop {
public:
    // `frame`: the display's logical geometry; `ratio`: its device pixels per point.
    SyntheticDesktop(const QRectF &frame, double ratio);

    // The whole display as a loupe snapshot (sRGB).
    ScreenSnapshot snapshot() const;
    const QImage &image() const { return m_image; }

    // Global points worth showing the loupe at: the edge of the blue swatch (two colors in the
    // lens, a light label), and the white document near the bottom right (the pill above the
    // ring, a dark label).
    QPointF swatchEdge() const;
    QPointF documentCorner() const;

private:
    QRectF m_frame;
    double m_ratio = 1;
    QImage m_image;
};
