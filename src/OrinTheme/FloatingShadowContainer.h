#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QWidget>

// A transparent widget that draws a soft shadow around a rounded rectangle `margin` pixels inside
// its edges. The shadow is masked out of the rectangle itself, so it frames the surface placed
// there without darkening through a translucent one. Redrawn at once (never animated) whenever
// the widget's size changes.
class FloatingShadowContainer : public QWidget {
    Q_OBJECT

public:
    // The shadow: black at this opacity, blurred by this radius, cast this far downwards.
    static constexpr qreal shadowOpacity = 0.28;
    static constexpr qreal shadowRadius = 18;
    static constexpr QPointF shadowOffset{0, 8};

    // `frame` in the parent's coordinates (or the screen's for a window).
    FloatingShadowContainer(const QRect &frame, int margin, qreal cornerRadius,
                            QWidget *parent = nullptr);

    int margin() const { return m_margin; }
    qreal cornerRadius() const { return m_cornerRadius; }
    // The surface's rectangle: the bounds inset by the margin.
    QRectF surfaceRect() const;
    QPainterPath surfaceOutline() const;

    // Renders the shadow for the current size and device pixel ratio. Runs after creation and
    // on every resize; call it after changing the device pixel ratio.
    void updateShadow();
    // The rendered shadow layer, the size of the bounds in device pixels.
    const QImage &shadowImage() const { return m_shadow; }
    // How many times the shadow was rendered.
    int shadowRenderCount() const { return m_renderCount; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void render();

    int m_margin = 0;
    qreal m_cornerRadius = 0;
    QImage m_shadow;
    int m_renderCount = 0;
};
