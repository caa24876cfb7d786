#pragma once

#include "Chromet/Color/RGB.h"

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class StatusItemController;

// Acknowledges a copy, pin or export from the status menu on the tray icon itself: the icon shrinks
// away, a dot in the copied color pops up, a check mark is drawn across it, and 1.4 seconds after
// the last copy everything returns to the normal icon. A tray icon cannot carry an overlay, so the
// animation is played inside the icon's image, at most 30 frames a second; once it has finished
// no timer runs at all.
//
// The animation is a timeline of layer animations (the icon, the dot and the check), sampled at a
// time: renderFrame(t) draws any moment of it, and the clock can be replaced so tests see frames
// at chosen times. Main thread only.
class CopyFeedback : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<double()>; // seconds, monotonic

    static constexpr double hideDelaySeconds = 1.4;
    static constexpr int maxFramesPerSecond = 30;

    explicit CopyFeedback(StatusItemController *statusItem, QObject *parent = nullptr);
    ~CopyFeedback() override;

    // Plays the feedback for a color (its sRGB channels) or, for an export, without one. Nothing
    // happens while the tray icon is gone or hidden. While a feedback is showing, the dot is
    // recolored and pops again, the check is drawn again and the wait starts over.
    void show(const std::optional<RGB> &srgb);
    // Puts the normal icon back at once and forgets the pending hide. The delegate calls it when
    // the status menu opens.
    void reset();

    // A feedback is on the icon (showing or hiding).
    bool isShowing() const { return m_view != nullptr; }
    // The disappearance is running.
    bool isHiding() const;
    // The frame timer is armed; false whenever nothing is left to animate or wait for.
    bool isTimerActive() const { return m_timer.isActive(); }
    // Milliseconds until the timer fires next, or -1 when it is stopped.
    int timerInterval() const { return m_timer.isActive() ? m_timer.interval() : -1; }

    // Processes the clock's current time: starts the disappearance when the wait is over, returns
    // to the normal icon when it has ended, and otherwise puts the frame of this moment on the
    // tray. The timer calls it; tests with their own clock call it directly.
    void advance();
    // The feedback as it looks at time t (in the clock's seconds), as the tray would show it;
    // a null image when none is showing.
    QImage renderFrame(double t) const;
    // The frame last put on the tray; null before the first one and after reset().
    QImage lastFrame() const { return m_lastFrame; }

    // Seams: the clock (default: a monotonic clock); Reduce Motion (none = ask the desktop);
    // the label color (default: the application palette's window text), used for the dot's
    // outline and for the check without a color; and the frame size in logical pixels with its
    // device pixel ratio (default: what the tray reports). They apply to the next show().
    void setClock(Clock clock);
    void setReduceMotion(std::optional<bool> reduceMotion) { m_reduceMotion = reduceMotion; }
    void setLabelColor(const QColor &color) { m_labelColor = color; }
    void setFrameSize(const QSize &logicalSize, qreal devicePixelRatio);

    // The check's color for a copied color: black at 80 % on light colors (relative luminance
    // above 0.4), white otherwise, and the label color without a color or for one that has no
    // sRGB value.
    static QColor checkColor(const std::optional<RGB> &srgb, const QColor &labelColor);

private:
    struct Overlay;

    double now() const;
    bool reduceMotion() const;
    QColor labelColor() const;
    void recolor(const std::optional<RGB> &srgb);
    void drawCheck(double now, double delay);
    void startDisappearance(double begin);
    void schedule(double now);

    QPointer<StatusItemController> m_statusItem;
    std::unique_ptr<Overlay> m_view;
    std::optional<double> m_hideAt;

    std::optional<double> m_hidingEndsAt;
    std::optional<double> m_lastFrameAt;
    QImage m_lastFrame;
    QTimer m_timer;
    Clock m_clock;
    std::optional<bool> m_reduceMotion;
    QColor m_labelColor;
    QSize m_frameSize;
    qreal m_frameDevicePixelRatio = 0;
};
