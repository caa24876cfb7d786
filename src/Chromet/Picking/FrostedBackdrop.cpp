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

FrostedBackdrop::FrostedBackdrop(QImage image, double scale)
    : m_image(std::move(image))
    , m_scale(scale > 0 ? scale : 1) {
    m_block = std::max(1, int(std::lround(blockPoints * m_scale)));
    if (m_image.isNull())
        return;
    m_small = QImage((m_image.width() + m_block - 1) / m_block,
                     (m_image.height() + m_block - 1) / m_block, QImage::Format_RGB32);
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

void FrostedBackdrop::ensureTile(int tileX, int tileY) {
    const size_t index = size_t(tileY) * size_t(m_tilesX) + size_t(tileX);
    if (m_ready[index])
        return;
    m_ready[index] = true;

    const QRect blocks = QRect(tileX * tileBlocks, tileY * tileBlocks, tileBlocks, tileBlocks)
                             .intersected(m_small.rect());
    const QRect pixels = QRect(blocks.x() * m_block, blocks.y() * m_block, blocks.width() * m_block,
                               blocks.height() * m_block)
                             .intersected(m_image.rect());
    QImage source = m_image.copy(pixels);
    if (source.format() != QImage::Format_RGB32 && source.format() != QImage::Format_ARGB32 &&
        source.format() != QImage::Format_ARGB32_Premultiplied)
        source = source.convertToFormat(QImage::Format_RGB32);

    for (int by = 0; by < blocks.height(); ++by) {
        const int top = by * m_block;
        const int bottom = std::min(source.height(), top + m_block);
        auto *out = reinterpret_cast<QRgb *>(m_small.scanLine(blocks.y() + by)) + blocks.x();
        for (int bx = 0; bx < blocks.width(); ++bx) {
            const int left = bx * m_block;
            const int right = std::min(source.width(), left + m_block);
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
