#include "Chromet/Picking/CoverageMask.h"

CoverageMask::CoverageMask(QImage image)
    : m_image(std::move(image)) {
    if (m_image.format() != QImage::Format_ARGB32_Premultiplied)
        m_image = m_image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_rows.reserve(size_t(m_image.height()) + 1);
    for (int y = 0; y < m_image.height(); ++y) {
        m_rows.push_back(m_spans.size());
        const auto *line = reinterpret_cast<const QRgb *>(m_image.constScanLine(y));
        int x = 0;
        while (x < m_image.width()) {
            while (x < m_image.width() && qAlpha(line[x]) == 0)
                ++x;
            const int begin = x;
            while (x < m_image.width() && qAlpha(line[x]) != 0)
                ++x;
            if (x > begin)
                m_spans.push_back({begin, x});
        }
    }
    m_rows.push_back(m_spans.size());
}
