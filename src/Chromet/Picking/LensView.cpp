#include "Chromet/Picking/LensView.h"

#include "Chromet/Picking/GlassView.h"

#include <QPainter>
#include <QPainterPath>

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
    const qreal cell = circle.width() / cells;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Black where the display ends, one cell per captured pixel, nearest-neighbour.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    QBrush cellsBrush(m_cells);
    cellsBrush.setTransform(QTransform::fromScale(cell, circle.height() / cells) *
                            QTransform::fromTranslate(circle.left(), circle.top()));
    painter.setPen(Qt::NoPen);
    painter.setBrush(cellsBrush);
    painter.drawEllipse(circle);

    // The grid, clipped to the circle: each line is drawn as its chord.
    painter.setPen(QPen(QColor(0, 0, 0, 26), 0.5)); // black at 0.1
    const QPointF centre = circle.center();
    const qreal rx = circle.width() / 2;
    const qreal ry = circle.height() / 2;
    QLineF lines[2 * (cells - 1)];
    int count = 0;
    for (int i = 1; i < cells; ++i) {
        const qreal x = circle.left() + cell * i;
        const qreal u = (x - centre.x()) / rx;
        const qreal halfY = ry * std::sqrt(std::max(qreal(0), 1 - u * u));
        lines[count++] = QLineF(x, centre.y() - halfY, x, centre.y() + halfY);
        const qreal y = circle.top() + cell * i;
        const qreal v = (y - centre.y()) / ry;
        const qreal halfX = rx * std::sqrt(std::max(qreal(0), 1 - v * v));
        lines[count++] = QLineF(centre.x() - halfX, y, centre.x() + halfX, y);
    }
    painter.drawLines(lines, count);

    // The rim.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 89), 1.0)); // white at 0.35
    painter.drawEllipse(circle);

    // The centre pixel: a dark outline with a white one inside it.
    const QRectF marker(centre.x() - cell / 2, centre.y() - cell / 2, cell, cell);
    painter.setPen(QPen(QColor(0, 0, 0, 204), 1.0)); // black at 0.8
    painter.drawRoundedRect(marker.adjusted(-1, -1, 1, 1), 2.0, 2.0);
    painter.setPen(QPen(Qt::white, 1.0));
    painter.drawRoundedRect(marker, 1.5, 1.5);
    painter.restore();
}

void LensView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    GlassView::prepareContentPainter(painter, this, m_bounds);
    paintLens(painter, QRectF(QPointF(0, 0), m_bounds.isEmpty() ? QSizeF(size()) : m_bounds));
}
