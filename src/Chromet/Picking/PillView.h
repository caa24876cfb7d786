#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSizeF>
#include <QStaticText>
#include <QString>
#include <QWidget>

enum class PillTone { lightText, darkText };

// The loupe's label: a color swatch and the color's code text. Paints in its bounds
// (`boundsSize`); inside glass, through the glass's transform. Never takes clicks.
class PillView : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal height = 36;
    // Swatch inset, swatch size and gap before the text.
    static constexpr qreal swatchInset = 11;
    static constexpr qreal swatchSize = 16;
    static constexpr qreal textGap = 8;
    static constexpr qreal textX = swatchInset + swatchSize + textGap; // 35
    // Added to the text width for the pill's width.
    static constexpr qreal padding = 52;

    explicit PillView(QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    QString text() const { return m_text; }
    void setText(const QString &text);
    PillTone tone() const { return m_tone; }
    void setTone(PillTone tone);

    QSizeF boundsSize() const { return m_bounds; }
    void setBoundsSize(const QSizeF &size);

    // The monospaced system font, 14 points, semibold.
    static const QFont &font();
    static qreal textWidth(const QString &text);
    // The pill's width for a text: the text's width plus 52.
    static qreal widthFor(const QString &text) { return textWidth(text) + padding; }

    void paintPill(QPainter &painter, const QRectF &bounds);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const QImage &shadow(qreal devicePixelRatio);

    QColor m_color = Qt::black;
    QString m_text;
    PillTone m_tone = PillTone::lightText;
    QSizeF m_bounds;
    QStaticText m_staticText;

    // The blurred text shadow, kept while text, tone and resolution stay the same.
    QImage m_shadow;
    QString m_shadowText;
    PillTone m_shadowTone = PillTone::lightText;
    qreal m_shadowRatio = 0;
};
