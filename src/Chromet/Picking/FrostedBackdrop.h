#pragma once

#include "Chromet/Picking/ScreenSnapshot.h"

#include <QBrush>
#include <QImage>
#include <QRectF>

#include <memory>
#include <vector>

// The frosted look of the loupe's glass on a display without a compositor: the snapshot averaged
// over small blocks, lightly tinted, and drawn back enlarged with smooth interpolation. The
// blocks sit on a fixed grid of the display, so moving glass shows a steady backdrop; they are
// averaged lazily, tile by tile, the first time glass passes over them.
class FrostedBackdrop {
public:
    explicit FrostedBackdrop(const ScreenSnapshot &snapshot);

    // A brush that paints the backdrop in display-local points; `area` (display-local points) is
    // the part that will be painted and is made ready first.
    QBrush brush(const QRectF &area);

    // The same backdrop at the snapshot's resolution, for drawing pixel for pixel, kept in square
    // tiles: only those under the glass take memory, a few pages each. prepare() the image pixels
    // first, then read them from blurredRun().
    static constexpr int fullTile = 64;
    void prepare(const QRect &imagePixels);
    // Row `y` of the blurred pixels from column `x` to the end of x's tile.
    const QRgb *blurredRun(int x, int y) const {
        return m_fullTiles[size_t(y / fullTile) * size_t(m_fullTilesX) + size_t(x / fullTile)]
                   .get() +
               (y % fullTile) * fullTile + x % fullTile;
    }

    bool isNull() const { return m_small.isNull(); }
    // The display's size in image pixels.
    QSize imageSize() const { return m_size; }
    // Image pixels per point.
    double scale() const { return m_scale; }
    // Size of one averaged block in image pixels.
    int blockPixels() const { return m_block; }

private:
    void ensureTile(int tileX, int tileY);
    void ensureBlocks(const QRect &blocks);
    void ensureFullTile(int tileX, int tileY);

    QImage m_image;
    QRect m_imageArea; // where m_image lies on the display
    QSize m_size;
    double m_scale = 1;
    int m_block = 1;
    QImage m_small;
    int m_tilesX = 0;
    int m_tilesY = 0;
    std::vector<bool> m_ready;
    int m_fullTilesX = 0;
    std::vector<std::unique_ptr<QRgb[]>> m_fullTiles;
};
