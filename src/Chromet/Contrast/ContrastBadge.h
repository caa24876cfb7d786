#pragma once

#include <QWidget>

// One WCAG level as a capsule: a checkmark and the label in green when the level passes, an
// xmark and the label in red when it fails.
class ContrastBadge : public QWidget {
    Q_OBJECT

public:
    static constexpr int horizontalPadding = 7;
    static constexpr int verticalPadding = 3;
    static constexpr int symbolSize = 9;
    static constexpr int labelSize = 11;
    static constexpr int symbolGap = 3;
    static constexpr qreal fillOpacity = 0.15;

    explicit ContrastBadge(QWidget *parent = nullptr);

    void setLevel(const QString &label, bool passes);
    QString label() const { return m_label; }
    bool passes() const { return m_passes; }
    // "checkmark" or "xmark".
    QString symbolName() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_label;
    bool m_passes = false;
};
