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

    // The same backdrop at the snapshot's resolution, for drawing pixel for pixel: prepare() the
    // image pixels first, then read them from blurred().
    void prepare(const QRect &imagePixels);
    const QImage &blurred() const { return m_full; }

    bool isNull() const { return m_small.isNull(); }
    // Image pixels per point.
    double scale() const { return m_scale; }
    // Size of one averaged block in image pixels.
    int blockPixels() const { return m_block; }

private:
    void ensureTile(int tileX, int tileY);
    void ensureBlocks(const QRect &blocks);
    void ensureFullTile(int tileX, int tileY);

    QImage m_image;
    double m_scale = 1;
    int m_block = 1;
    QImage m_small;
    int m_tilesX = 0;
    int m_tilesY = 0;
    std::vector<bool> m_ready;
    QImage m_full;
    int m_fullTilesX = 0;
    int m_fullTilesY = 0;
    std::vector<bool> m_fullReady;
};
