#include "Chromet/Picking/FrostedBackdrop.h"

#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

// Block size in points: enough to blur text into a haze, small enough to keep shapes.
constexpr double blockPoints = 6.0;
// Averaged blocks per tile side.
constexpr int tileBlocks = 16;
// The tint laid over the blurred pixels: white at 10 %.
constexpr int tintAlpha = 26;
} // namespace

FrostedBackdrop::FrostedBackdrop(const ScreenSnapshot &snapshot)
    : m_image(snapshot.image)
    , m_imageArea(snapshot.imageOrigin(), snapshot.image.size())
    , m_size(snapshot.pixelSize())
    , m_scale(snapshot.scale() > 0 ? snapshot.scale() : 1) {
    m_block = std::max(1, int(std::lround(blockPoints * m_scale)));
    if (m_image.isNull())
        return;
    m_small = QImage((m_size.width() + m_block - 1) / m_block,
                     (m_size.height() + m_block - 1) / m_block, QImage::Format_RGB32);
    m_small.fill(Qt::black);
    m_tilesX = (m_small.width() + tileBlocks - 1) / tileBlocks;
    m_tilesY = (m_small.height() + tileBlocks - 1) / tileBlocks;
    m_ready.assign(size_t(m_tilesX) * size_t(m_tilesY), false);
}

QBrush FrostedBackdrop::brush(const QRectF &area) {
    if (m_small.isNull())
        return QBrush(Qt::black);
    // Points to block units; one block of margin for the interpolation at the edges.
    const double perBlock = m_scale / m_block;
    const int x0 = std::max(0, int(std::floor(area.left() * perBlock)) - 1) / tileBlocks;
    const int y0 = std::max(0, int(std::floor(area.top() * perBlock)) - 1) / tileBlocks;
    const int x1 =
        std::min(m_tilesX - 1, (int(std::ceil(area.right() * perBlock)) + 1) / tileBlocks);
    const int y1 =
        std::min(m_tilesY - 1, (int(std::ceil(area.bottom() * perBlock)) + 1) / tileBlocks);
    for (int ty = y0; ty <= y1; ++ty)
        for (int tx = x0; tx <= x1; ++tx)
            ensureTile(tx, ty);

    QBrush brush(m_small);
    brush.setTransform(QTransform::fromScale(1 / perBlock, 1 / perBlock));
    return brush;
}

void FrostedBackdrop::ensureBlocks(const QRect &blocks) {
    const int x0 = std::max(0, blocks.left()) / tileBlocks;
    const int y0 = std::max(0, blocks.top()) / tileBlocks;
    const int x1 = std::min(m_tilesX - 1, blocks.right() / tileBlocks);
    const int y1 = std::min(m_tilesY - 1, blocks.bottom() / tileBlocks);
    for (int ty = y0; ty <= y1; ++ty)
        for (int tx = x0; tx <= x1; ++tx)
            ensureTile(tx, ty);
}

void FrostedBackdrop::prepare(const QRect &imagePixels) {
    if (m_small.isNull())
        return;
    if (m_fullTiles.empty()) {
        m_fullTilesX = (m_size.width() + fullTile - 1) / fullTile;
        m_fullTiles.resize(size_t(m_fullTilesX) *
                           size_t((m_size.height() + fullTile - 1) / fullTile));
    }
    const QRect area = imagePixels.intersected(QRect(QPoint(), m_size));
    if (area.isEmpty())
        return;
    for (int ty = area.top() / fullTile; ty <= area.bottom() / fullTile; ++ty)
        for (int tx = area.left() / fullTile; tx <= area.right() / fullTile; ++tx)
            ensureFullTile(tx, ty);
}

void FrostedBackdrop::ensureFullTile(int tileX, int tileY) {
    std::unique_ptr<QRgb[]> &tile =
        m_fullTiles[size_t(tileY) * size_t(m_fullTilesX) + size_t(tileX)];
    if (tile)
        return;
    tile = std::make_unique_for_overwrite<QRgb[]>(size_t(fullTile) * fullTile);
    const QRect pixels = QRect(tileX * fullTile, tileY * fullTile, fullTile, fullTile)
                             .intersected(QRect(QPoint(), m_size));
    ensureBlocks(QRect(QPoint(pixels.left() / m_block - 1, pixels.top() / m_block - 1),
                       QPoint(pixels.right() / m_block + 1, pixels.bottom() / m_block + 1)));

    // Bilinear between block centres, in 1/256 steps.
    const int lastX = m_small.width() - 1;
    const int lastY = m_small.height() - 1;
    auto locate = [this](int pixel, int last, int &first, int &second, uint &weight) {
        const double u = (pixel + 0.5) / m_block - 0.5;
        const int i = int(std::floor(u));
        weight = uint(std::lround((u - i) * 256));
        first = std::clamp(i, 0, last);
        second = std::clamp(i + 1, 0, last);
    };
    std::vector<int> left(static_cast<size_t>(pixels.width()));
    std::vector<int> right(left.size());
    std::vector<uint> across(left.size());
    for (int x = 0; x < pixels.width(); ++x)
        locate(pixels.left() + x, lastX, left[size_t(x)], right[size_t(x)], across[size_t(x)]);
    auto mix = [](QRgb a, QRgb b, uint w) {
        const uint v = 256 - w;
        const uint rb = (((a & 0xff00ff) * v + (b & 0xff00ff) * w) >> 8) & 0xff00ff;
        const uint g = (((a & 0x00ff00) * v + (b & 0x00ff00) * w) >> 8) & 0x00ff00;
        return 0xff000000u | rb | g;
    };
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        int top = 0, bottom = 0;
        uint down = 0;
        locate(y, lastY, top, bottom, down);
        const auto *upper = reinterpret_cast<const QRgb *>(m_small.constScanLine(top));
        const auto *lower = reinterpret_cast<const QRgb *>(m_small.constScanLine(bottom));
        QRgb *out = tile.get() + (y - pixels.top()) * fullTile;
        for (int x = 0; x < pixels.width(); ++x) {
            const size_t k = size_t(x);
            out[x] = mix(mix(upper[left[k]], upper[right[k]], across[k]),
                         mix(lower[left[k]], lower[right[k]], across[k]), down);
        }
    }
}

void FrostedBackdrop::ensureTile(int tileX, int tileY) {
    const size_t index = size_t(tileY) * size_t(m_tilesX) + size_t(tileX);
    if (m_ready[index])
        return;
    m_ready[index] = true;

    const QRect blocks = QRect(tileX * tileBlocks, tileY * tileBlocks, tileBlocks, tileBlocks)
                             .intersected(m_small.rect());
    // Only pixels that were read count: a block at the edge of a partial snapshot is the mean of
    // its part inside, and one wholly outside stays black.
    const QRect pixels = QRect(blocks.x() * m_block, blocks.y() * m_block, blocks.width() * m_block,
                               blocks.height() * m_block)
                             .intersected(m_imageArea);
    if (pixels.isEmpty())
        return;
    QImage source = m_image.copy(pixels.translated(-m_imageArea.topLeft()));
    if (source.format() != QImage::Format_RGB32 && source.format() != QImage::Format_ARGB32 &&
        source.format() != QImage::Format_ARGB32_Premultiplied)
        source = source.convertToFormat(QImage::Format_RGB32);

    for (int by = 0; by < blocks.height(); ++by) {
        // The block's rows and columns within `source`.
        const int blockTop = (blocks.y() + by) * m_block - pixels.top();
        const int top = std::max(0, blockTop);
        const int bottom = std::min(source.height(), blockTop + m_block);
        auto *out = reinterpret_cast<QRgb *>(m_small.scanLine(blocks.y() + by)) + blocks.x();
        for (int bx = 0; bx < blocks.width(); ++bx) {
            const int blockLeft = (blocks.x() + bx) * m_block - pixels.left();
            const int left = std::max(0, blockLeft);
            const int right = std::min(source.width(), blockLeft + m_block);
            quint32 r = 0, g = 0, b = 0, n = 0;
            for (int y = top; y < bottom; ++y) {
                const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
                for (int x = left; x < right; ++x) {
                    r += qRed(in[x]);
                    g += qGreen(in[x]);
                    b += qBlue(in[x]);
                }
            }
            n = quint32(std::max(0, bottom - top) * std::max(0, right - left));
            if (n == 0)
                continue;
            auto tint = [n](quint32 sum) {
                return int((sum / n * (255 - tintAlpha) + 255 * tintAlpha + 127) / 255);
            };
            out[bx] = qRgb(tint(r), tint(g), tint(b));
        }
    }
}
