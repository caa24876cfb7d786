#pragma once

#include <QImage>
#include <QRgb>

#include <vector>

// A premultiplied image painted once, with the runs of pixels it covers on each row, so that
// per-frame composition touches only those pixels. Also the pixel arithmetic for composing
// premultiplied colors by hand (QPainter's antialiased fills are slow for a per-move redraw).
class CoverageMask {
public:
    struct Span {
        int begin = 0; // first covered column
        int end = 0;   // one past the last
    };

    CoverageMask() = default;
    // Takes an ARGB32 premultiplied image.
    explicit CoverageMask(QImage image);

    bool isNull() const { return m_image.isNull(); }
    const QImage &image() const { return m_image; }
    const Span *rowBegin(int row) const { return m_spans.data() + m_rows[size_t(row)]; }
    const Span *rowEnd(int row) const { return m_spans.data() + m_rows[size_t(row) + 1]; }

    // x * a / 255 on each premultiplied channel.
    static inline QRgb multiply(QRgb x, uint a) {
        uint t = (x & 0xff00ff) * a;
        t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
        t &= 0xff00ff;
        x = ((x >> 8) & 0xff00ff) * a;
        x = x + ((x >> 8) & 0xff00ff) + 0x800080;
        x &= 0xff00ff00;
        return x | t;
    }
    static inline QRgb sourceOver(QRgb destination, QRgb source) {
        const uint alpha = qAlpha(source);
        if (alpha == 255)
            return source;
        if (alpha == 0)
            return destination;
        return source + multiply(destination, 255 - alpha);
    }

private:
    QImage m_image;
    std::vector<Span> m_spans;
    std::vector<size_t> m_rows; // index of each row's first span; one extra at the end
};
