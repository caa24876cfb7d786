#include "Chromet/Picking/LensView.h"

#include "Chromet/Picking/GlassView.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

LensView::LensView(QWidget *parent)
    : QWidget(parent)
    , m_cells(cells, cells, QImage::Format_RGB32) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    m_cells.fill(Qt::black);
}

void LensView::setCrop(std::optional<QImage> crop, QPoint offset) {
    m_crop = std::move(crop);
    m_offset = offset;

    m_cells.fill(Qt::black);
    if (m_crop && !m_crop->isNull()) {
        QImage source = *m_crop;
        if (source.format() != QImage::Format_RGB32 && source.format() != QImage::Format_ARGB32 &&
            source.format() != QImage::Format_ARGB32_Premultiplied)
            source = source.convertToFormat(QImage::Format_RGB32);
        const QRect target = QRect(offset, source.size()).intersected(QRect(0, 0, cells, cells));
        for (int y = target.top(); y <= target.bottom(); ++y) {
            const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y - offset.y()));
            auto *out = reinterpret_cast<QRgb *>(m_cells.scanLine(y));
            for (int x = target.left(); x <= target.right(); ++x)
                out[x] = 0xff000000u | in[x - offset.x()]; // screen pixels are opaque
        }
    }
    update();
}

void LensView::setBoundsSize(const QSizeF &size) {
    if (size == m_bounds)
        return;
    m_bounds = size;
    update();
}

void LensView::paintLens(QPainter &painter, const QRectF &bounds) const {
    const QRectF circle = bounds.adjusted(inset, inset, -inset, -inset);
    if (circle.width() <= 0 || circle.height() <= 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Black where the display ends, one cell per captured pixel, nearest-neighbour.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    QBrush cellsBrush(m_cells);
    cellsBrush.setTransform(QTransform::fromScale(circle.width() / cells, circle.height() / cells) *
                            QTransform::fromTranslate(circle.left(), circle.top()));
    painter.setPen(Qt::NoPen);
    painter.setBrush(cellsBrush);
    painter.drawEllipse(circle);
    painter.restore();
    paintOverlay(painter, bounds);
}

void LensView::paintOverlay(QPainter &painter, const QRectF &bounds) const {
    const QRectF circle = bounds.adjusted(inset, inset, -inset, -inset);
    if (circle.width() <= 0 || circle.height() <= 0)
        return;
    const qreal cell = circle.width() / cells;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);

    // The grid, inside the circle: each line runs along its chord, drawn many times faster
    // than the same lines through a circular clip (the lens is drawn anew for every frame of
    // its pop-in).
    QPen gridPen(QColor(0, 0, 0, 26), 0.5); // black at 0.1
    gridPen.setCapStyle(Qt::FlatCap);
    painter.setPen(gridPen);
    const QPointF middle = circle.center();
    const qreal rx = circle.width() / 2;
    const qreal ry = circle.height() / 2;
    auto halfChord = [](qreal radius, qreal offset, qreal otherRadius) {
        const qreal t = offset / otherRadius;
        return radius * std::sqrt(std::max(qreal(0), 1 - t * t));
    };
    QLineF lines[2 * (cells - 1)];
    int count = 0;
    for (int i = 1; i < cells; ++i) {
        const qreal x = circle.left() + cell * i;
        const qreal halfY = halfChord(ry, x - middle.x(), rx);
        lines[count++] = QLineF(x, middle.y() - halfY, x, middle.y() + halfY);
        const qreal y = circle.top() + cell * i;
        const qreal halfX = halfChord(rx, y - middle.y(), ry);
        lines[count++] = QLineF(middle.x() - halfX, y, middle.x() + halfX, y);
    }
    painter.drawLines(lines, count);

    // The rim.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 89), 1.0)); // white at 0.35
    painter.drawEllipse(circle);

    // The centre pixel: a dark outline with a white one inside it.
    const QPointF centre = circle.center();
    const QRectF marker(centre.x() - cell / 2, centre.y() - cell / 2, cell, cell);
    painter.setPen(QPen(QColor(0, 0, 0, 204), 1.0)); // black at 0.8
    painter.drawRoundedRect(marker.adjusted(-1, -1, 1, 1), 2.0, 2.0);
    painter.setPen(QPen(Qt::white, 1.0));
    painter.drawRoundedRect(marker, 1.5, 1.5);
    painter.restore();
}

bool LensView::paintComposed(QPainter &painter, const QRectF &bounds) {
    const QTransform world = painter.worldTransform();
    const QTransform device = painter.deviceTransform();
    if (world.type() > QTransform::TxScale || device.type() > QTransform::TxScale ||
        world.m11() <= 0 || world.m22() <= 0)
        return false;
    const qreal ratio = device.m11() / world.m11();
    const QTransform toDevice = world * QTransform::fromScale(ratio, ratio);
    const QRectF circle = bounds.adjusted(inset, inset, -inset, -inset);
    if (circle.width() <= 0 || circle.height() <= 0)
        return true;
    const QRectF circleDevice = toDevice.mapRect(circle);
    const QRect widgetDevice(0, 0, int(std::ceil(width() * ratio)),
                             int(std::ceil(height() * ratio)));
    const QRect box = circleDevice.toAlignedRect().adjusted(-1, -1, 1, 1).intersected(widgetDevice);
    if (box.isEmpty())
        return true;

    Layers &layers = m_layers;
    if (layers.box != box || layers.toDevice != toDevice || layers.bounds != bounds.size()) {
        // Every pick's lens starts with the same pop-in frame in a new view: that frame's layers
        // are kept across views, as building them is most of its drawing.
        static std::vector<Layers> keptFirst;
        const bool firstPaint = !std::exchange(m_paintedOnce, true);
        const auto found = firstPaint ? std::find_if(keptFirst.begin(), keptFirst.end(),
                                                     [&](const Layers &kept) {
                                                         return kept.box == box &&
                                                                kept.toDevice == toDevice &&
                                                                kept.bounds == bounds.size();
                                                     })
                                      : keptFirst.end();
        if (found != keptFirst.end()) {
            layers = *found;
        } else {
            layers.box = box;
            layers.toDevice = toDevice;
            layers.bounds = bounds.size();
            const QTransform toBox = toDevice * QTransform::fromTranslate(-box.left(), -box.top());
            QImage mask(box.size(), QImage::Format_ARGB32_Premultiplied);
            mask.fill(Qt::transparent);
            QImage overlay = mask;
            {
                QPainter p(&mask);
                p.setRenderHint(QPainter::Antialiasing);
                p.setTransform(toBox);
                p.setPen(Qt::NoPen);
                p.setBrush(Qt::white);
                p.drawEllipse(circle);
            }
            {
                QPainter p(&overlay);
                p.setTransform(toBox);
                paintOverlay(p, bounds);
            }
            layers.circle = CoverageMask(std::move(mask));
            layers.overlay = CoverageMask(std::move(overlay));
            // Which cell each device pixel shows, sampled at the pixel's centre.
            auto cellsOf = [](int count, int first, qreal start, qreal size) {
                std::vector<int> result(static_cast<size_t>(count));
                for (int k = 0; k < count; ++k) {
                    const int cell = int(std::floor((first + k + 0.5 - start) / size));
                    result[size_t(k)] = std::clamp(cell, 0, cells - 1);
                }
                return result;
            };
            layers.columnCell =
                cellsOf(box.width(), box.left(), circleDevice.left(), circleDevice.width() / cells);
            layers.rowCell =
                cellsOf(box.height(), box.top(), circleDevice.top(), circleDevice.height() / cells);
            if (firstPaint) {
                // A ring's lens at a display scale or two.
                if (keptFirst.size() >= 4)
                    keptFirst.erase(keptFirst.begin());
                keptFirst.push_back(layers);
                keptFirst.back().composed = QImage();
            }
        }
        layers.composed = QImage(box.size(), QImage::Format_ARGB32_Premultiplied);
        layers.composed.fill(Qt::transparent);
        layers.composed.setDevicePixelRatio(ratio);
    }

    const QImage &maskImage = layers.circle.image();
    const QImage &overlayImage = layers.overlay.image();
    for (int y = 0; y < box.height(); ++y) {
        auto *out = reinterpret_cast<QRgb *>(layers.composed.scanLine(y));
        const auto *row =
            reinterpret_cast<const QRgb *>(m_cells.constScanLine(layers.rowCell[size_t(y)]));
        const auto *mask = reinterpret_cast<const QRgb *>(maskImage.constScanLine(y));
        for (auto span = layers.circle.rowBegin(y); span != layers.circle.rowEnd(y); ++span) {
            for (int x = span->begin; x < span->end; ++x) {
                const QRgb cell = row[layers.columnCell[size_t(x)]];
                const uint coverage = qAlpha(mask[x]);
                out[x] = coverage == 255 ? cell : CoverageMask::multiply(cell, coverage);
            }
        }
        const auto *overlay = reinterpret_cast<const QRgb *>(overlayImage.constScanLine(y));
        for (auto span = layers.overlay.rowBegin(y); span != layers.overlay.rowEnd(y); ++span)
            for (int x = span->begin; x < span->end; ++x)
                out[x] = CoverageMask::sourceOver(out[x], overlay[x]);
    }
    painter.save();
    painter.setWorldTransform(QTransform());
    painter.drawImage(QRectF(QPointF(box.topLeft()) / ratio, QSizeF(box.size()) / ratio),
                      layers.composed);
    painter.restore();
    return true;
}

void LensView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    GlassView::prepareContentPainter(painter, this, m_bounds);
    const QRectF bounds(QPointF(0, 0), m_bounds.isEmpty() ? QSizeF(size()) : m_bounds);
    if (!paintComposed(painter, bounds))
        paintLens(painter, bounds);
}
