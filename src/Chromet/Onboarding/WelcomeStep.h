#pragma once

#include <QWidget>

// The first page: what the application does.
class WelcomeStep : public QWidget {
    Q_OBJECT

public:
    explicit WelcomeStep(QWidget *parent = nullptr);
};
