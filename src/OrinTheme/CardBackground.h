#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>

class QPainter;

// A subtle card behind grouped content: a rounded rectangle filled with the text colour at a
// trace of opacity, its border stroked a little stronger. Holds one content widget filling it.
class CardBackground : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal fillOpacity = 0.055;
    static constexpr qreal borderOpacity = 0.09;
    static constexpr qreal borderWidth = 0.75;

    explicit CardBackground(qreal cornerRadius, QWidget *parent = nullptr);

    qreal cornerRadius() const { return m_cornerRadius; }
    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }

    // The card's drawing, for views that paint it themselves; `primary` is the text colour.
    static void paint(QPainter &painter, const QRectF &rect, qreal cornerRadius,
                      const QColor &primary);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    qreal m_cornerRadius = 0;
    QPointer<QWidget> m_content;
};
