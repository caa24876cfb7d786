#pragma once

#include <QPainterPath>
#include <QPoint>
#include <QPointer>
#include <QWidget>

// The material behind a floating surface, holding one content widget that fills it. `Glass` is
// for a translucent window over a compositor: where the compositor blurs what lies behind
// (WindowEffects::blurBehindAvailable() when the material is made), the window colour lets that
// blur show through and the material asks for it; elsewhere the same tint is painted opaque, so
// the windows behind never show sharply through text and controls. `Opaque` is the same shape in
// the solid window colour, for a window without a compositor. Both are a rounded rectangle of
// `cornerRadius` outlined by a hairline. A masked opaque material also clips itself, and the window
// it fills, to its rounded shape, so the corners show what lies behind the window. Dragging the
// material's own background moves its window.
class MaterialView : public QWidget {
    Q_OBJECT

public:
    enum class Kind { Glass, Opaque };

    // How much of the window colour the glass keeps: enough to read text over a busy desktop.
    static constexpr qreal glassFillOpacity = 0.82;

    MaterialView(Kind kind, qreal cornerRadius, bool masked, QWidget *parent = nullptr);

    Kind kind() const { return m_kind; }
    // Glass over a blurring compositor: see-through, with the blur asked for.
    bool isBlurred() const { return m_blurred; }
    qreal cornerRadius() const { return m_cornerRadius; }
    bool isMasked() const { return m_masked; }

    // Takes `content` as a child that always fills the material.
    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }

    QPainterPath outline() const;
    // The rounded shape as a region of whole pixels (the mask of an opaque material).
    static QRegion roundedRegion(const QSize &size, qreal cornerRadius);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void applyMask();
    void requestBlur();

    Kind m_kind;
    bool m_blurred = false;
    qreal m_cornerRadius = 0;
    bool m_masked = false;
    QPointer<QWidget> m_content;
    // A drag the window system did not take over: the pointer's offset in the window.
    bool m_dragging = false;
    QPoint m_dragOffset;
};
