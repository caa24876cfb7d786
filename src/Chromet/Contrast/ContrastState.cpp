#include "Chromet/Contrast/ContrastState.h"

#include <utility>

ContrastState::ContrastState(const QList<PickedColor> &history)
    : m_history(history)
    , m_model(defaultPair(history)) {
}

PickedColor ContrastState::white() {
    return PickedColor{RGB{1, 1, 1}, RGB{1, 1, 1}};
}

PickedColor ContrastState::backgroundFallback(const QList<PickedColor> &history) {
    return history.size() >= 2 ? history.at(1) : white();
}

std::optional<ContrastModel> ContrastState::defaultPair(const QList<PickedColor> &history) {
    if (history.isEmpty())
        return std::nullopt;
    return ContrastModel{history.first(), backgroundFallback(history)};
}

void ContrastState::setHistory(const QList<PickedColor> &history) {
    m_history = history;
    if (m_history.isEmpty()) {
        m_model.reset();
        return;
    }
    if (!m_model) {
        m_model = defaultPair(m_history);
        return;
    }
    if (!m_history.contains(m_model->text))
        m_model->text = m_history.first();
    if (!m_history.contains(m_model->background))
        m_model->background = backgroundFallback(m_history);
}

void ContrastState::swap() {
    if (m_model)
        std::swap(m_model->text, m_model->background);
}

void ContrastState::setText(const PickedColor &color) {
    if (m_model)
        m_model->text = color;
}

void ContrastState::setBackground(const PickedColor &color) {
    if (m_model)
        m_model->background = color;
}
