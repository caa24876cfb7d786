#include "Chromet/Picking/Motion.h"

#include "Chromet/Picking/ReduceMotion.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPauseAnimation>
#include <QPointF>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSequentialAnimationGroup>

#include <cmath>

namespace Motion {

namespace {

constexpr char keyProperty[] = "_motionKey";
constexpr char animatedProperty[] = "_motionProperty";
constexpr double restTolerance = 0.001;

template <const Spring &spring> qreal springEase(qreal progress) {
    if (progress >= 1.0)
        return 1.0;
    static const double duration = settlingMilliseconds(spring) / 1000.0;
    return spring.valueAt(progress * duration);
}

// Core Animation's ease-out and ease-in.
QEasingCurve bezier(QPointF c1, QPointF c2) {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(c1, c2, QPointF(1, 1));
    return curve;
}

QEasingCurve easeOut() {
    return bezier(QPointF(0, 0), QPointF(0.58, 1));
}
QEasingCurve easeIn() {
    return bezier(QPointF(0.42, 0), QPointF(1, 1));
}

int milliseconds(double seconds) {
    return std::max(0, int(std::lround(seconds * 1000)));
}

bool hasProperty(const QObject *object, const char *name) {
    return object && object->metaObject()->indexOfProperty(name) >= 0;
}

bool hasLayer(const QObject *object) {
    return hasProperty(object, "opacity") && hasProperty(object, "scale");
}

QList<QAbstractAnimation *> running(const QObject *view) {
    QList<QAbstractAnimation *> result;
    for (QAbstractAnimation *animation :
         view->findChildren<QAbstractAnimation *>(Qt::FindDirectChildrenOnly)) {
        if (!animation->property(keyProperty).isNull() &&
            animation->state() != QAbstractAnimation::Stopped)
            result.append(animation);
    }
    return result;
}

// Adds `animation` to `view` under `key`, replacing what runs under the same key or on the same
// property. Until the delay has passed the property holds the animation's start value, as a
// layer animation with backwards fill does.
void add(QObject *view, const QByteArray &key, std::unique_ptr<QPropertyAnimation> animation,
         double delaySeconds = 0) {
    const QByteArray property = animation->propertyName();
    for (QAbstractAnimation *other : running(view)) {
        if (other->property(keyProperty).toByteArray() == key ||
            other->property(animatedProperty).toByteArray() == property)
            other->stop(); // deletes itself
    }
    animation->setTargetObject(view);
    view->setProperty(property.constData(), animation->startValue());

    QAbstractAnimation *top = animation.get();
    if (delaySeconds > 0) {
        auto *group = new QSequentialAnimationGroup(view);
        group->addPause(milliseconds(delaySeconds));
        group->addAnimation(animation.release());
        top = group;
    } else {
        animation.release()->setParent(view);
    }
    top->setProperty(keyProperty, key);
    top->setProperty(animatedProperty, property);
    top->start(QAbstractAnimation::DeleteWhenStopped);
    // Sampled for when the next frame is shown, not for when it is painted.
    top->setCurrentTime(std::min(frameMilliseconds(), top->totalDuration()));
}

std::unique_ptr<QPropertyAnimation> propertyAnimation(const QByteArray &property,
                                                      const QVariant &from, const QVariant &to,
                                                      int durationMs, const QEasingCurve &easing) {
    auto animation = std::make_unique<QPropertyAnimation>();
    animation->setPropertyName(property);
    animation->setStartValue(from);
    animation->setEndValue(to);
    animation->setDuration(durationMs);
    animation->setEasingCurve(easing);
    return animation;
}

} // namespace

double Spring::valueAt(double t) const {
    if (t <= 0)
        return 0;
    const double omega0 = std::sqrt(stiffness / mass);
    const double zeta = damping / (2 * std::sqrt(stiffness * mass));
    if (zeta < 1) {
        const double omegaD = omega0 * std::sqrt(1 - zeta * zeta);
        const double decay = zeta * omega0;
        return 1 - std::exp(-decay * t) *
                       (std::cos(omegaD * t) + decay / omegaD * std::sin(omegaD * t));
    }
    if (zeta == 1)
        return 1 - std::exp(-omega0 * t) * (1 + omega0 * t);
    const double root = std::sqrt(zeta * zeta - 1);
    const double r1 = -omega0 * (zeta - root);
    const double r2 = -omega0 * (zeta + root);
    return 1 - (r2 * std::exp(r1 * t) - r1 * std::exp(r2 * t)) / (r2 - r1);
}

double Spring::settlingDuration() const {
    // The last moment the motion is outside the tolerance, found on a 1 ms grid up to 30 s.
    double last = 0;
    for (int ms = 1; ms <= 30000; ++ms) {
        const double t = ms / 1000.0;
        if (std::abs(valueAt(t) - 1) > restTolerance)
            last = t;
    }
    return last + 0.001;
}

int settlingMilliseconds(const Spring &spring) {
    return milliseconds(spring.settlingDuration());
}

int frameMilliseconds() {
    const QScreen *screen = qobject_cast<QGuiApplication *>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    const qreal hertz = screen ? screen->refreshRate() : 0;
    return milliseconds(1.0 / (hertz >= 20 && hertz <= 500 ? hertz : 60.0));
}

QEasingCurve popSpringEasing() {
    QEasingCurve curve;
    curve.setCustomType(&springEase<popSpring>);
    return curve;
}

QEasingCurve standardSpringEasing() {
    QEasingCurve curve;
    curve.setCustomType(&springEase<standardSpring>);
    return curve;
}

std::unique_ptr<QPropertyAnimation> fadeAnimation(float from, float to, double seconds) {
    return propertyAnimation("opacity", qreal(from), qreal(to), milliseconds(seconds), easeOut());
}

std::unique_ptr<QPropertyAnimation> scaleAnimation(std::optional<bool> reduceMotion, double from,
                                                   double to) {
    if (reduceMotion.value_or(ReduceMotion::isOn()))
        return propertyAnimation("scale", from, to, milliseconds(reducedSeconds),
                                 QEasingCurve(QEasingCurve::Linear));
    static const int duration = settlingMilliseconds(popSpring);
    return propertyAnimation("scale", from, to, duration, popSpringEasing());
}

void popIn(QObject *view, double fromScale, double delaySeconds) {
    if (!hasLayer(view))
        return;
    add(view, "popIn.fade", fadeAnimation(0, 1, popInFadeSeconds), delaySeconds);
    if (ReduceMotion::isOn())
        return;
    static const int duration = settlingMilliseconds(popSpring);
    add(view, "popIn.scale",
        propertyAnimation("scale", fromScale, 1.0, duration, popSpringEasing()), delaySeconds);
}

void popOut(QObject *view, double toScale, double seconds) {
    if (!hasLayer(view))
        return;
    add(view, "popOut.fade", fadeAnimation(1, 0, seconds));
    if (ReduceMotion::isOn())
        return;
    add(view, "popOut.scale",
        propertyAnimation("scale", 1.0, toScale, milliseconds(seconds), easeIn()));
}

void animate(const std::vector<Change> &changes, std::function<void()> completion) {
    const bool reduce = ReduceMotion::isOn();
    const int duration =
        reduce ? milliseconds(reducedSeconds) : settlingMilliseconds(standardSpring);
    const QEasingCurve easing =
        reduce ? QEasingCurve(QEasingCurve::Linear) : standardSpringEasing();

    // The completion runs once, after the last of the animations has gone, however it went.
    auto remaining = std::make_shared<int>(0);
    auto done = [remaining, completion = std::move(completion)]() {
        if (--*remaining > 0 || !completion)
            return;
        if (QCoreApplication *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, completion, Qt::QueuedConnection);
    };
    ++*remaining; // held until every animation is under way
    for (const Change &change : changes) {
        QObject *target = change.target.data();
        if (!target || !hasProperty(target, change.property.constData()))
            continue;
        auto animation =
            propertyAnimation(change.property, target->property(change.property.constData()),
                              change.to, duration, easing);
        ++*remaining;
        QObject::connect(animation.get(), &QObject::destroyed, done);
        add(target, "animate." + change.property, std::move(animation));
    }
    done();
}

bool isAnimating(const QObject *view) {
    return view && !running(view).isEmpty();
}

void finish(QObject *view) {
    if (!view)
        return;
    for (QAbstractAnimation *animation : running(view))
        animation->setCurrentTime(animation->totalDuration());
}

} // namespace Motion
