#pragma once

#include <QAbstractButton>

// An on/off switch: a checkable button drawn as a track with a sliding knob.
class SettingsSwitch : public QAbstractButton {
    Q_OBJECT

public:
    explicit SettingsSwitch(QWidget *parent = nullptr);

    QSize sizeHint() const override { return QSize(34, 20); }

protected:
    void paintEvent(QPaintEvent *event) override;
};
