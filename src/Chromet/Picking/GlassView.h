#pragma once

#include "Chromet/Picking/CoverageMask.h"

#include <QPainterPath>
#include <QPointer>
#include <QRectF>
#include <QWidget>

class FrostedBackdrop;

// A rounded sheet of frosted glass over the loupe's snapshot, holding one content view that fills
// it. Its `frame` is in the parent's coordinates and may lie between pixels; the widget covers the
// frame as drawn (after `scale`, around the frame's centre) and the content paints in the frame's
// own coordinates through contentTransform(). `opacity` and `scale` make it animatable by Motion.
// Clicks pass through to the parent.
class GlassView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QRectF frame READ frame WRITE setFrame)
    Q_PROPERTY(qreal opacity READ opacity WRITE setOpacity)
    Q_PROPERTY(qreal scale READ scale WRITE setScale)

public:
    GlassView(FrostedBackdrop *backdrop, qreal cornerRadius, QWidget *parent = nullptr);

    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }

    QRectF frame() const { return m_frame; }
    void setFrame(const QRectF &frame);
    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity);
    qreal scale() const { return m_scale; }
    void setScale(qreal scale);
    qreal cornerRadius() const { return m_cornerRadius; }
    // The content covers this ellipse (frame coordinates) with opaque pixels: no backdrop is
    // composed under it.
    void setOpaqueContent(const QRectF &ellipse);

    // The frame as drawn, in the parent's coordinates.
    QRectF visualFrame() const;
    // Maps the frame's own coordinates (origin at its top-left) to this widget's.
    QTransform contentTransform() const;
    // The glass outline in the frame's own coordinates, optionally inset.
    QPainterPath outline(qreal inset = 0) const;

    // Prepares a painter on a content view: the glass's transform, opacity and, when the content
    // reaches past the glass, its outline as clip. Does nothing for a view outside glass.
    static void prepareContentPainter(QPainter &painter, const QWidget *content,
                                      const QSizeF &contentSize);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void place();
    // Pixel for pixel from the backdrop when the device matches the snapshot's resolution.
    bool paintComposed(QPainter &painter);
    void paintWithPainter(QPainter &painter);

    struct Layers {
        QSize size;
        qreal ratio = 0;
        QRectF visual;
        QRectF opaque;
        CoverageMask mask; // the glass, less the opaque content
        CoverageMask rim;
        QImage composed;
    };

    FrostedBackdrop *m_backdrop = nullptr;
    qreal m_cornerRadius = 0;
    QRectF m_frame;
    qreal m_opacity = 1;
    qreal m_scale = 1;
    QPointer<QWidget> m_content;
    QRectF m_opaqueContent;
    Layers m_layers;
    bool m_paintedOnce = false;
};
