#pragma once

#include <QString>
#include <QWidget>

// One key drawn as a small rounded cap with its name ("Ctrl", "Space").
class KeyCap : public QWidget {
    Q_OBJECT

public:
    explicit KeyCap(const QString &text, QWidget *parent = nullptr);

    QString text() const { return m_text; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // 12 pixels, medium weight.
    static QFont capFont(const QFont &base);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QString m_text;
};
