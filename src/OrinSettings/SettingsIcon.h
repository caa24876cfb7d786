#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QWidget>

// A page or link icon: a symbol in white, 0.55 of the size, centred on a rounded square filled
// with a gradient of the tint (corner radius 0.26 of the size).
class SettingsIcon : public QWidget {
    Q_OBJECT

public:
    // The tints pages and links use.
    static QColor gray() { return QColor(142, 142, 147); }
    static QColor blue() { return QColor(0, 122, 255); }
    static QColor orange() { return QColor(255, 149, 0); }

    SettingsIcon(const QString &symbol, const QColor &tint, int size, QWidget *parent = nullptr);

    QString symbol() const { return m_symbol; }
    QColor tint() const { return m_tint; }
    int iconSize() const { return m_size; }

    QSize sizeHint() const override { return QSize(m_size, m_size); }

    // The icon drawn into a pixmap of `size` logical pixels at `dpr`.
    static QPixmap pixmap(const QString &symbol, const QColor &tint, int size, qreal dpr = 1.0);
    // The icon for item views, sharp at any size and device pixel ratio.
    static QIcon icon(const QString &symbol, const QColor &tint);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
    QColor m_tint;
    int m_size = 0;
};
