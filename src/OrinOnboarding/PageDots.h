#pragma once

#include <QWidget>

// One 7 x 7 dot per page, 6 apart: the current page's in the accent colour, the others in the
// secondary text colour at 0.3 opacity.
class PageDots : public QWidget {
    Q_OBJECT

public:
    static constexpr int dotSize = 7;
    static constexpr int spacing = 6;

    explicit PageDots(QWidget *parent = nullptr);

    void setCount(int count);
    void setCurrent(int index);
    int count() const { return m_count; }
    int current() const { return m_current; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_count = 0;
    int m_current = 0;
};
