#pragma once

#include <QByteArray>
#include <QEasingCurve>
#include <QPointer>
#include <QVariant>

#include <functional>
#include <memory>
#include <numbers>
#include <optional>
#include <vector>

class QPropertyAnimation;

// The shared animations: the loupe's pop-in and pop-out, the spring for frame changes, and the
// fade and scale animations the copy feedback builds on.
//
// An object takes part by exposing qreal properties, its "layer": `opacity` (0...1) and `scale`
// (1 = natural size, around the centre of its bounds). Anything without them is left alone.
// Animations are keyed per object like layer animations: a new one replaces a running one with the
// same key or on the same property. Every animation honours ReduceMotion.
//
// Animations are sampled for the moment their frame reaches the screen, which is a frame after it
// is painted: each one starts a frame in, so the first frame painted after it begins (the pop-in's
// included) already shows it moving, as a compositor's animation would.
namespace Motion {

// A damped spring released at rest from 0 towards 1.
struct Spring {
    double stiffness = 0;
    double damping = 0;
    double mass = 1;

    double valueAt(double seconds) const;
    // When the motion has come to rest: from then on it stays within 0.1 % of the target.
    double settlingDuration() const;

    // From the period of the undamped spring and the fraction of critical damping.
    static constexpr Spring fromResponse(double response, double dampingFraction) {
        const double omega = 2 * std::numbers::pi / response;
        return {omega * omega, 2 * dampingFraction * omega, 1};
    }
};

// Pop-in and scaleAnimation.
inline constexpr Spring popSpring{320, 18, 1};
// Frame changes through animate().
inline constexpr Spring standardSpring = Spring::fromResponse(0.35, 0.7);

inline constexpr double popInFadeSeconds = 0.12;
// What replaces springs and scaling when motion is reduced.
inline constexpr double reducedSeconds = 0.15;

// Easing curves that follow the springs over their settling durations.
QEasingCurve popSpringEasing();
QEasingCurve standardSpringEasing();
int settlingMilliseconds(const Spring &spring);

// One frame of the primary display (60 Hz when it reports no rate), in milliseconds: how far into
// its course an animation is when its first frame is shown.
int frameMilliseconds();

// An opacity animation from -> to, ease-out. Give it a target and start it.
std::unique_ptr<QPropertyAnimation> fadeAnimation(float from, float to, double seconds);
// A scale animation from -> to: with reduced motion (none = ask the desktop) a plain 0.15-second
// animation, otherwise popSpring over its settling duration.
std::unique_ptr<QPropertyAnimation> scaleAnimation(std::optional<bool> reduceMotion, double from,
                                                   double to);

// Fades the object in and springs it up from `fromScale`; it stays transparent (and small)
// until the delay has passed (counted from the frame being shown). With reduced motion it only
// fades.
void popIn(QObject *view, double fromScale, double delaySeconds);
// Fades the object out and shrinks it to `toScale`, where it stays. With reduced motion it only
// fades.
void popOut(QObject *view, double toScale, double seconds);

// One property of one object moving from its current value to `to`.
struct Change {
    QPointer<QObject> target;
    QByteArray property;
    QVariant to;
};
// Runs the changes with standardSpring (reduced motion: plain 0.15 seconds), then the
// completion, queued on the main thread. The completion also runs when an animation is replaced
// or its object goes away before the end.
void animate(const std::vector<Change> &changes, std::function<void()> completion = {});

// Whether any of these animations is running on the object.
bool isAnimating(const QObject *view);
// Jumps every running animation on the object to its end state.
void finish(QObject *view);

} // namespace Motion
