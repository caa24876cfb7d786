#pragma once

#include <QWidget>

class QLabel;

// What the checker shows before anything was picked: the eyedropper and a hint.
class ContrastEmptyView : public QWidget {
    Q_OBJECT

public:
    static constexpr int symbolSize = 24;
    static constexpr int spacing = 6;

    explicit ContrastEmptyView(QWidget *parent = nullptr);

    QLabel *symbolLabel() const { return m_symbol; }
    QLabel *headlineLabel() const { return m_headline; }
    QLabel *messageLabel() const { return m_message; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyColors();

    QLabel *m_symbol = nullptr;
    QLabel *m_headline = nullptr;
    QLabel *m_message = nullptr;
};
