#include "Chromet/Contrast/ContrastPanel.h"

#include "Chromet/Contrast/ContrastView.h"
#include "Chromet/Contrast/ContrastViewState.h"
#include "OrinPanel/FloatingPanelController.h"

#include <QKeyEvent>
#include <QPointer>

ContrastPanel::ContrastPanel(QObject *parent)
    : QObject(parent) {
}

// The controller owns the panel and with it the view, which refers to the holder: it goes first.
ContrastPanel::~ContrastPanel() {
    m_controller.reset();
}

bool ContrastPanel::isVisible() const {
    return m_controller && m_controller->isVisible();
}

ContrastView *ContrastPanel::view() const {
    return m_controller ? m_view : nullptr;
}

void ContrastPanel::setScreens(const PanelScreens &screens) {
    m_screens = screens;
    if (m_controller)
        m_controller->setScreens(screens);
}

void ContrastPanel::hide() {
    if (m_controller)
        m_controller->hide();
}

void ContrastPanel::toggle(const QList<PickedColor> &history, bool lowercaseHex) {
    if (isVisible()) {
        hide();
        return;
    }

    auto holder = std::make_unique<ContrastViewState>(ContrastState(history));
    QPointer<ContrastPanel> self(this);
    auto *view = new ContrastView(holder.get(), lowercaseHex, [self] {
        if (self)
            self->hide();
    });
    auto controller = std::make_unique<FloatingPanelController>(view, ContrastView::contentSize);
    controller->setScreens(m_screens);
    // The checker stays up while the user works elsewhere.
    controller->setHidesOnResignKey(false);
    controller->setKeyHandler([self](QKeyEvent *event) {
        if (event->key() != Qt::Key_Escape)
            return false;
        if (self)
            self->hide();
        return true;
    });

    // The old panel (hidden) goes before the holder its view refers to.
    m_controller = std::move(controller);
    m_holder = std::move(holder);
    m_view = view;
    m_controller->show();
}

void ContrastPanel::update(const QList<PickedColor> &history) {
    if (!m_controller || !m_controller->isVisible() || !m_holder)
        return;
    m_holder->setHistory(history);
}
