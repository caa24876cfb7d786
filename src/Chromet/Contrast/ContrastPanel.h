#pragma once

#include "Chromet/Color/PickedColor.h"
#include "OrinPanel/PanelScreens.h"

#include <QList>
#include <QObject>

#include <memory>

class ContrastView;
class ContrastViewState;
class FloatingPanelController;

// The contrast checker's floating panel; one per application. Each opening starts afresh from
// the history and the lower-case preference of that moment; while open it follows the history.
// Clicking elsewhere leaves it up; its close button and Esc hide it.
class ContrastPanel : public QObject {
    Q_OBJECT

public:
    explicit ContrastPanel(QObject *parent = nullptr);
    ~ContrastPanel() override;

    // Shows the checker for `history` (most recent first), or hides it when it is showing.
    void toggle(const QList<PickedColor> &history, bool lowercaseHex);
    // After every library change: the open checker takes the new history.
    void update(const QList<PickedColor> &history);

    bool isVisible() const;
    FloatingPanelController *controller() const { return m_controller.get(); }
    ContrastViewState *holder() const { return m_holder.get(); }
    ContrastView *view() const;

    // Where the panel learns about displays and the pointer (tests).
    void setScreens(const PanelScreens &screens);

private:
    void hide();

    std::unique_ptr<FloatingPanelController> m_controller;
    std::unique_ptr<ContrastViewState> m_holder;
    ContrastView *m_view = nullptr;
    PanelScreens m_screens;
};
