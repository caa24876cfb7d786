#pragma once

#include "Chromet/Picking/CoverageMask.h"

#include <QImage>
#include <QPoint>
#include <QSizeF>
#include <QTransform>
#include <QWidget>

#include <optional>

// The magnified pixels around the loupe: a 15 x 15 grid of cells inside a circle, with a grid, a
// rim and the centre pixel marked. Paints in its bounds (`boundsSize`, the ring's size); inside
// glass, through the glass's transform. Never takes clicks.
class LensView : public QWidget {
    Q_OBJECT

public:
    static constexpr int cells = 15;
    static constexpr qreal inset = 14;

    explicit LensView(QWidget *parent = nullptr);

    // The visible part of the block around the centre pixel and its shift in cells.
    void setCrop(std::optional<QImage> crop, QPoint offset);
    const std::optional<QImage> &crop() const { return m_crop; }
    QPoint offset() const { return m_offset; }

    QSizeF boundsSize() const { return m_bounds; }
    void setBoundsSize(const QSizeF &size);

    // Paints the lens into `bounds` with the painter as it is.
    void paintLens(QPainter &painter, const QRectF &bounds) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The grid, the rim and the centre marker, which do not change with the pixels.
    void paintOverlay(QPainter &painter, const QRectF &bounds) const;
    // Cells composed by hand over cached circle, grid and marker layers, in device pixels.
    bool paintComposed(QPainter &painter, const QRectF &bounds);

    struct Layers {
        QRect box; // device pixels of the widget covered by the circle
        QTransform toDevice;
        QSizeF bounds;
        CoverageMask circle;
        CoverageMask overlay;
        std::vector<int> columnCell;
        std::vector<int> rowCell;
        QImage composed;
    };

    std::optional<QImage> m_crop;
    QPoint m_offset;
    QSizeF m_bounds;
    // The 15 x 15 cells: black, with the crop at its offset.
    QImage m_cells;
    Layers m_layers;
    bool m_paintedOnce = false;
};
