#include "Chromet/Picking/CoverageMask.h"

CoverageMask::CoverageMask(QImage image)
    : m_image(std::move(image)) {
    if (m_image.format() != QImage::Format_ARGB32_Premultiplied)
        m_image = m_image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // The sizes are read once: QImage's getters are calls, and this runs for every pixel.
    const int width = m_image.width();
    const int height = m_image.height();
    m_rows.reserve(size_t(height) + 1);
    for (int y = 0; y < height; ++y) {
        m_rows.push_back(m_spans.size());
        const auto *line = reinterpret_cast<const QRgb *>(m_image.constScanLine(y));
        int x = 0;
        while (x < width) {
            while (x < width && qAlpha(line[x]) == 0)
                ++x;
            const int begin = x;
            while (x < width && qAlpha(line[x]) != 0)
                ++x;
            if (x > begin)
                m_spans.push_back({begin, x});
        }
    }
    m_rows.push_back(m_spans.size());
}
