#pragma once

#include <QPainterPath>
#include <QPoint>
#include <QPointer>
#include <QWidget>

// The material behind a floating surface, holding one content widget that fills it. `Glass` is
// translucent (the window must be translucent and a compositor must run); `Opaque` is the same
// shape in the solid window colour. Both are a rounded rectangle of `cornerRadius` outlined by a
// hairline. A masked opaque material also clips itself, and the window it fills, to its rounded
// shape, so the corners show what lies behind the window. Dragging the material's own background
// moves its window.
class MaterialView : public QWidget {
    Q_OBJECT

public:
    enum class Kind { Glass, Opaque };

    // How much of the window colour the glass keeps: enough to read text over a busy desktop.
    static constexpr qreal glassFillOpacity = 0.82;

    MaterialView(Kind kind, qreal cornerRadius, bool masked, QWidget *parent = nullptr);

    Kind kind() const { return m_kind; }
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
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void applyMask();

    Kind m_kind;
    qreal m_cornerRadius = 0;
    bool m_masked = false;
    QPointer<QWidget> m_content;
    // A drag the window system did not take over: the pointer's offset in the window.
    bool m_dragging = false;
    QPoint m_dragOffset;
};
