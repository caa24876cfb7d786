#pragma once

#include "Chromet/Contrast/ContrastViewState.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>

class ContrastBadge;
class ContrastColorChooser;
class ContrastEmptyView;
class ContrastSample;
class QLabel;
class QStackedWidget;
class QToolButton;

// The contrast checker's content, 360 x 220: the pair with its choosers and swap button, the
// sample, the ratio and Lc, and the four level badges; or, with nothing picked yet, the empty
// view. The close button sits over either face in the top trailing corner. Redraws whenever the
// state announces a change. The hex codes keep the case they were given at creation.
class ContrastView : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize contentSize{360, 220};
    static constexpr int padding = 18;
    static constexpr int sectionSpacing = 14;
    static constexpr int pairSpacing = 10;
    static constexpr int badgeSpacing = 6;
    static constexpr int ratioSize = 24;
    static constexpr int lcSize = 15;
    static constexpr int closePadding = 10;
    static constexpr int closeSymbolSize = 16;

    ContrastView(ContrastViewState *holder, bool lowercaseHex, std::function<void()> close,
                 QWidget *parent = nullptr);

    ContrastViewState *holder() const { return m_holder; }
    bool lowercaseHex() const { return m_lowercaseHex; }
    bool showsEmptyView() const;

    ContrastEmptyView *emptyView() const { return m_empty; }
    ContrastColorChooser *textChooser() const { return m_textChooser; }
    ContrastColorChooser *backgroundChooser() const { return m_backgroundChooser; }
    QToolButton *swapButton() const { return m_swap; }
    ContrastSample *sample() const { return m_sample; }
    QLabel *ratioLabel() const { return m_ratio; }
    QLabel *lcLabel() const { return m_lc; }
    const std::array<ContrastBadge *, 4> &badges() const { return m_badges; }
    QToolButton *closeButton() const { return m_closeButton; }

    QSize sizeHint() const override { return contentSize; }

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *buildContent();
    void refresh();
    void applyColors();
    void placeCloseButton();

    QPointer<ContrastViewState> m_holder;
    bool m_lowercaseHex = false;
    std::function<void()> m_onClose;

    QStackedWidget *m_faces = nullptr;
    ContrastEmptyView *m_empty = nullptr;
    QWidget *m_content = nullptr;
    ContrastColorChooser *m_textChooser = nullptr;
    ContrastColorChooser *m_backgroundChooser = nullptr;
    QToolButton *m_swap = nullptr;
    ContrastSample *m_sample = nullptr;
    QLabel *m_ratio = nullptr;
    QLabel *m_lc = nullptr;
    std::array<ContrastBadge *, 4> m_badges{};
    QToolButton *m_closeButton = nullptr;
};
