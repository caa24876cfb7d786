#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

// Where the application cannot grab a global shortcut itself: the command a key binding of the
// desktop's own settings should run, selectable, with a button that copies it.
class CommandBinding : public QWidget {
    Q_OBJECT

public:
    // How long the button says "Copied" before it offers to copy again.
    static constexpr int copiedMs = 1500;

    explicit CommandBinding(const QString &command, QWidget *parent = nullptr);

    QString command() const { return m_command; }
    QPushButton *copyButton() const { return m_copy; }

private:
    QString m_command;
    QLabel *m_label = nullptr;
    QPushButton *m_copy = nullptr;
};
