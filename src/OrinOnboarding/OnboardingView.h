#pragma once

#include "OrinOnboarding/OnboardingStep.h"

#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>

class PageDots;
class QHBoxLayout;
class QPushButton;
class QVBoxLayout;

// The pager: the current page above a row of page dots, "Skip for now" while the page is blocked,
// and the main button ("Continue", or the finish title on the last page, also on Return). Both
// buttons advance; the last page's button finishes. Once a second the blocked state is looked at
// again, so a page that becomes complete drops its "Skip for now" by itself.
class OnboardingView : public QWidget {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds tickInterval{1000};
    // How far a new page travels as it springs into place.
    static constexpr int pageSlide = 48;

    // The start index is clamped into the list; `finish` runs when the last page's button is
    // pressed (it may close and delete this view).
    OnboardingView(QList<OnboardingStep> steps, int startIndex, QString finishTitle,
                   std::function<void()> finish, QWidget *parent = nullptr);
    ~OnboardingView() override;

    int count() const { return int(m_steps.size()); }
    int index() const { return m_index; }
    int ticks() const { return m_ticks; }
    QString finishTitle() const { return m_finishTitle; }
    // The current page's step and view; none for an empty list.
    const OnboardingStep *currentStep() const;
    QWidget *currentPage() const { return m_page; }
    // The current page has a completion test that answers no.
    bool isBlocked() const;

    QPushButton *mainButton() const { return m_mainButton; }
    QPushButton *skipButton() const { return m_skipButton; }
    PageDots *pageDots() const { return m_dots; }

    // The next page, or on the last one `finish`.
    void advance();
    // One timer tick: counted, and the blocked state looked at again.
    void tick();

private:
    void showPage(bool animated);
    void springIn(QWidget *page);
    void refresh();

    QList<OnboardingStep> m_steps;
    QString m_finishTitle;
    std::function<void()> m_finish;
    int m_index = 0;
    int m_ticks = 0;
    QTimer m_timer;

    QVBoxLayout *m_pageLayout = nullptr;
    QPointer<QWidget> m_page;
    PageDots *m_dots = nullptr;
    QPushButton *m_skipButton = nullptr;
    QPushButton *m_mainButton = nullptr;
};
