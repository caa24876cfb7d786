#pragma once

#include "OrinOnboarding/OnboardingStep.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include <functional>

class OnboardingView;
class QWidget;

// Owns the onboarding window. The window is made on the first show() and stays until it closes;
// closing it, by the last page's button or by the window's own close button, finishes once:
// the window is let go and onFinish runs. Main thread only.
class OnboardingWindowController : public QObject {
    Q_OBJECT

public:
    // `onFinish` runs last in the closing, so it may delete this controller (deleteLater is the
    // safer habit).
    OnboardingWindowController(QString title, QSize size, std::function<void()> onFinish,
                               QObject *parent = nullptr);
    ~OnboardingWindowController() override;

    QString title() const { return m_title; }
    QSize size() const { return m_size; }
    bool isFinished() const { return m_finished; }
    // The window while it is open; none before the first show() and after finishing.
    QWidget *window() const { return m_window; }
    OnboardingView *view() const { return m_view; }

    // Shows the pages from `startIndex` (clamped into the list) in a window of exactly `size`,
    // centred on the screen and brought to the front; an open window gets the new pages instead.
    void show(const QList<OnboardingStep> &steps, int startIndex, const QString &finishTitle);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void makeWindow();
    void windowClosing();

    QString m_title;
    QSize m_size;
    std::function<void()> m_onFinish;
    bool m_finished = false;
    QPointer<QWidget> m_window;
    QPointer<OnboardingView> m_view;
};
