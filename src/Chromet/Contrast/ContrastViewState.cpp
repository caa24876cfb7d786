#include "Chromet/Contrast/ContrastViewState.h"

ContrastViewState::ContrastViewState(const ContrastState &state, QObject *parent)
    : QObject(parent)
    , m_state(state) {
}

void ContrastViewState::replace(const ContrastState &next) {
    if (next == m_state)
        return;
    m_state = next;
    Q_EMIT changed();
}

void ContrastViewState::setHistory(const QList<PickedColor> &history) {
    ContrastState next = m_state;
    next.setHistory(history);
    replace(next);
}

void ContrastViewState::swap() {
    ContrastState next = m_state;
    next.swap();
    replace(next);
}

void ContrastViewState::setText(const PickedColor &color) {
    ContrastState next = m_state;
    next.setText(color);
    replace(next);
}

void ContrastViewState::setBackground(const PickedColor &color) {
    ContrastState next = m_state;
    next.setBackground(color);
    replace(next);
}
