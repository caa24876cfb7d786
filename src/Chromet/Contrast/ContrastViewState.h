#pragma once

#include "Chromet/Contrast/ContrastState.h"

#include <QObject>

// The contrast checker's state as the panel's views see it: every change is announced, so the
// views redraw from it.
class ContrastViewState : public QObject {
    Q_OBJECT

public:
    explicit ContrastViewState(const ContrastState &state, QObject *parent = nullptr);

    const ContrastState &state() const { return m_state; }

    void setHistory(const QList<PickedColor> &history);
    void swap();
    void setText(const PickedColor &color);
    void setBackground(const PickedColor &color);

Q_SIGNALS:
    void changed();

private:
    void replace(const ContrastState &next);

    ContrastState m_state;
};
