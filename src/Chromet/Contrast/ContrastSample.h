#pragma once

#include "Chromet/Color/PickedColor.h"

#include <QWidget>

// "Aa" in the text color on a rounded rectangle of the background color, both drawn from their
// Display P3 triples.
class ContrastSample : public QWidget {
    Q_OBJECT

public:
    static constexpr int minimumHeight = 52;
    static constexpr qreal cornerRadius = 8;
    static constexpr int textSize = 26;

    explicit ContrastSample(QWidget *parent = nullptr);

    void setColors(const PickedColor &text, const PickedColor &background);
    QString text() const { return QStringLiteral("Aa"); }

    QSize sizeHint() const override { return QSize(120, minimumHeight); }
    QSize minimumSizeHint() const override { return QSize(40, minimumHeight); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    PickedColor m_text;
    PickedColor m_background;
};
