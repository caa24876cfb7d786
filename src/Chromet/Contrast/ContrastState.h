#pragma once

#include "Chromet/Contrast/ContrastModel.h"

#include <QList>

#include <optional>

// What the contrast checker compares, chosen from a copy of the history (most recent first).
// There is a pair exactly when the history is not empty.
class ContrastState {
public:
    explicit ContrastState(const QList<PickedColor> &history = {});

    // The fallback background: white in both spaces.
    static PickedColor white();

    const QList<PickedColor> &history() const { return m_history; }
    const std::optional<ContrastModel> &model() const { return m_model; }

    // Keeps each role's color while an equal color is still in the history; a role whose color
    // left the history falls back to the newest colors (text: first, background: second or
    // white).
    void setHistory(const QList<PickedColor> &history);

    void swap();

    // Choosing a color for one role; without a pair (empty history) there is nothing to set.
    void setText(const PickedColor &color);
    void setBackground(const PickedColor &color);

    friend bool operator==(const ContrastState &, const ContrastState &) = default;

private:
    static std::optional<ContrastModel> defaultPair(const QList<PickedColor> &history);
    static PickedColor backgroundFallback(const QList<PickedColor> &history);

    QList<PickedColor> m_history;
    std::optional<ContrastModel> m_model;
};
