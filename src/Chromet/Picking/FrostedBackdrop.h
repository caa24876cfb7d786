#pragma once

#include <QBrush>
#include <QImage>
#include <QRectF>

#include <vector>

// The frosted look of the loupe's glass on a display without a compositor: the snapshot averaged
// over small blocks, lightly tinted, and drawn back enlarged with smooth interpolation. The
// blocks sit on a fixed grid of the display, so moving glass shows a steady backdrop; they are
// averaged lazily, tile by tile, the first time glass passes over them.
class FrostedBackdrop {
public:
    // `scale`: image pixels per point.
    FrostedBackdrop(QImage image, double scale);

    // A brush that paints the backdrop in display-local points; `area` (display-local points) is
    // the part that will be painted and is made ready first.
    QBrush brush(const QRectF &area);

    // Size of one averaged block in image pixels.
    int blockPixels() const { return m_block; }

private:
    void ensureTile(int tileX, int tileY);

    QImage m_image;
    double m_scale = 1;
    int m_block = 1;
    QImage m_small;
    int m_tilesX = 0;
    int m_tilesY = 0;
    std::vector<bool> m_ready;
};
