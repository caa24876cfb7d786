#pragma once

#include <QString>
#include <QWidget>

// A shortcut's text, large and semibold, on a rounded tile of faint text colour.
class ShortcutBadge : public QWidget {
    Q_OBJECT

public:
    static constexpr int fontPixelSize = 22;
    static constexpr int horizontalPadding = 16;
    static constexpr int verticalPadding = 8;
    static constexpr qreal cornerRadius = 10;
    static constexpr qreal fillOpacity = 0.08;

    explicit ShortcutBadge(const QString &text, QWidget *parent = nullptr);

    QString text() const { return m_text; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont badgeFont() const;

    QString m_text;
};
