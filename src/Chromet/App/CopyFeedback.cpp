#include "Chromet/App/CopyFeedback.h"

#include "Chromet/Picking/Motion.h"
#include "Chromet/Picking/ReduceMotion.h"
#include "OrinMenuBar/StatusItemController.h"

#include <QEasingCurve>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QPropertyAnimation>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// The geometry is given in points for a status bar of this thickness and scaled to the icon.
constexpr double referenceSide = 22;
constexpr double dotSide = 15;
constexpr double dotLineWidth = 0.75;
constexpr double dotOutlineOpacity = 0.35;
constexpr double checkLineWidth = 1.8;
// In the dot's box, origin at the bottom left.
constexpr std::array<QPointF, 3> checkPoints{QPointF(4.2, 7.8), QPointF(6.6, 5.4),
                                             QPointF(10.95, 9.9)};
constexpr double checkDrawSeconds = 0.22;
constexpr double reducedCheckDrawSeconds = 0.01;
constexpr double lightColorLuminance = 0.4;
constexpr double darkCheckOpacity = 0.8;

enum class Property { opacity, scale, strokeEnd };

// One layer animation: `property` runs from -> to along `easing` between begin and begin +
// duration, then is removed and the layer's own value shows again. Before the beginning it
// applies only with backwards fill.
struct Animation {
    QByteArray key;
    Property property = Property::opacity;
    double begin = 0;
    double from = 0;
    double to = 0;
    double duration = 0;
    QEasingCurve easing;
    bool fillsBackwards = false;

    double end() const { return begin + duration; }
    double valueAt(double t) const {
        const double progress = duration > 0 ? std::clamp((t - begin) / duration, 0.0, 1.0) : 1.0;
        return from + (to - from) * easing.valueForProgress(progress);
    }
};

// The timing of Motion's fades and scales, taken from the animations it makes so that springs,
// curves and Reduce Motion stay in one place.
Animation motion(const QByteArray &key, Property property,
                 const std::unique_ptr<QPropertyAnimation> &animation, double begin) {
    return {key,
            property,
            begin,
            animation->startValue().toDouble(),
            animation->endValue().toDouble(),
            animation->duration() / 1000.0,
            animation->easingCurve(),
            false};
}

Animation fade(const QByteArray &key, double from, double to, double seconds, double begin) {
    return motion(key, Property::opacity, Motion::fadeAnimation(float(from), float(to), seconds),
                  begin);
}

Animation scale(const QByteArray &key, std::optional<bool> reduceMotion, double from, double to,
                double begin) {
    return motion(key, Property::scale, Motion::scaleAnimation(reduceMotion, from, to), begin);
}

// A layer's own values (what it shows once its animations are done) and its animations, keyed:
// adding one under a key replaces the one there; of several on a property the latest applies.
struct Layer {
    double opacity = 1;
    double scale = 1;
    double strokeEnd = 1;
    std::vector<Animation> animations;

    void add(Animation animation) {
        std::erase_if(animations, [&](const Animation &a) { return a.key == animation.key; });
        animations.push_back(std::move(animation));
    }

    double valueAt(Property property, double t) const {
        double value = property == Property::opacity ? opacity
                       : property == Property::scale ? scale
                                                     : strokeEnd;
        for (const Animation &animation : animations) {
            if (animation.property != property || t >= animation.end())
                continue;
            if (t < animation.begin && !animation.fillsBackwards)
                continue;
            value = animation.valueAt(t);
        }
        return value;
    }

    double lastEnd() const {
        double end = -std::numeric_limits<double>::infinity();
        for (const Animation &animation : animations)
            end = std::max(end, animation.end());
        return end;
    }
};

double clamped(double channel) {
    return std::isnan(channel) ? 0.0 : std::clamp(channel, 0.0, 1.0);
}

bool hasSrgbValue(const RGB &srgb) {
    return std::isfinite(srgb.r) && std::isfinite(srgb.g) && std::isfinite(srgb.b);
}

double linear(double channel) {
    const double c = clamped(channel);
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

void scaleAbout(QPainter &painter, QPointF centre, double factor) {
    painter.translate(centre);
    painter.scale(factor, factor);
    painter.translate(-centre);
}

// The first `fraction` of the check's length, in frame coordinates.
QPainterPath partialCheck(const QRectF &box, double unit, double fraction) {
    std::array<QPointF, 3> points;
    for (size_t i = 0; i < points.size(); ++i) {
        points[i] = box.topLeft() +
                    QPointF(checkPoints[i].x() * unit, (dotSide - checkPoints[i].y()) * unit);
    }
    const double first = QLineF(points[0], points[1]).length();
    const double second = QLineF(points[1], points[2]).length();
    const double length = fraction * (first + second);

    QPainterPath path(points[0]);
    if (length <= first) {
        path.lineTo(points[0] + (points[1] - points[0]) * (length / first));
    } else {
        path.lineTo(points[1]);
        path.lineTo(points[1] + (points[2] - points[1]) * ((length - first) / second));
    }
    return path;
}

} // namespace

// The animated picture laid over the icon: the icon as it looked, the dot and the check.
struct CopyFeedback::Overlay {
    QSize size; // logical pixels
    qreal devicePixelRatio = 1;
    QImage snapshot;

    Layer icon;
    Layer dot;
    Layer check;

    std::optional<QColor> dotFill;
    std::optional<QColor> dotStroke;
    QColor checkColor;

    double lastEnd() const { return std::max({icon.lastEnd(), dot.lastEnd(), check.lastEnd()}); }
};

CopyFeedback::CopyFeedback(StatusItemController *statusItem, QObject *parent)
    : QObject(parent)
    , m_statusItem(statusItem) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CopyFeedback::advance);
}

CopyFeedback::~CopyFeedback() = default;

bool CopyFeedback::isHiding() const {
    return m_hidingEndsAt.has_value();
}

void CopyFeedback::setClock(Clock clock) {
    m_clock = std::move(clock);
}

void CopyFeedback::setFrameSize(const QSize &logicalSize, qreal devicePixelRatio) {
    m_frameSize = logicalSize;
    m_frameDevicePixelRatio = devicePixelRatio;
}

double CopyFeedback::now() const {
    if (m_clock)
        return m_clock();
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool CopyFeedback::reduceMotion() const {
    return m_reduceMotion.value_or(ReduceMotion::isOn());
}

QColor CopyFeedback::labelColor() const {
    if (m_labelColor.isValid())
        return m_labelColor;
    return QGuiApplication::palette().color(QPalette::WindowText);
}

QColor CopyFeedback::checkColor(const std::optional<RGB> &srgb, const QColor &labelColor) {
    if (!srgb || !hasSrgbValue(*srgb))
        return labelColor;
    const double luminance =
        0.2126 * linear(srgb->r) + 0.7152 * linear(srgb->g) + 0.0722 * linear(srgb->b);
    if (luminance > lightColorLuminance)
        return QColor::fromRgbF(0, 0, 0, darkCheckOpacity);
    return QColor(Qt::white);
}

void CopyFeedback::show(const std::optional<RGB> &srgb) {
    if (!m_statusItem || !m_statusItem->isVisible())
        return;
    const double t = now();
    m_hideAt.reset();

    if (m_view) {
        recolor(srgb);
        m_view->dot.add(scale("scale", m_reduceMotion, 0.75, 1.0, t));
        drawCheck(t, 0.05);
    } else {
        m_view = std::make_unique<Overlay>();
        Overlay &view = *m_view;
        view.size = m_frameSize.isValid() ? m_frameSize : m_statusItem->iconSize();
        view.devicePixelRatio = m_frameDevicePixelRatio > 0 ? m_frameDevicePixelRatio
                                                            : m_statusItem->devicePixelRatio();
        view.snapshot = m_statusItem->icon().pixmap(view.size, view.devicePixelRatio).toImage();
        view.dot.opacity = 0;
        view.check.strokeEnd = 0;
        recolor(srgb);

        view.icon.opacity = 0;
        view.icon.add(fade("fade", 1, 0, 0.12, t));
        view.icon.add(scale("scale", m_reduceMotion, 1.0, 0.4, t));
        view.icon.scale = 0.4;
        view.dot.opacity = 1;
        view.dot.add(fade("fade", 0, 1, 0.1, t));
        view.dot.add(scale("scale", m_reduceMotion, 0.3, 1.0, t));
        drawCheck(t, 0.1);
    }

    m_hideAt = t + hideDelaySeconds;
    schedule(t);
}

void CopyFeedback::recolor(const std::optional<RGB> &srgb) {
    const QColor label = labelColor();
    if (srgb) {
        m_view->dotFill = QColor::fromRgbF(clamped(srgb->r), clamped(srgb->g), clamped(srgb->b));
        QColor outline = label;
        outline.setAlphaF(label.alphaF() * dotOutlineOpacity);
        m_view->dotStroke = outline;
    } else {
        m_view->dotFill.reset();
        m_view->dotStroke.reset();
    }
    m_view->checkColor = checkColor(srgb, label);
}

void CopyFeedback::drawCheck(double t, double delay) {
    Layer &check = m_view->check;
    check.opacity = 1;
    check.strokeEnd = 1;
    const bool reduce = reduceMotion();
    // strokeEnd 0 -> 1 with the fades' ease-out curve; blank until it begins.
    Animation draw =
        motion("draw", Property::strokeEnd,
               Motion::fadeAnimation(0, 1, reduce ? reducedCheckDrawSeconds : checkDrawSeconds),
               reduce ? t : t + delay);
    draw.fillsBackwards = true;
    check.add(std::move(draw));
}

void CopyFeedback::startDisappearance(double begin) {
    Overlay &view = *m_view;
    double end = begin;
    auto add = [&end](Layer &layer, Animation animation) {
        end = std::max(end, animation.end());
        layer.add(std::move(animation));
    };
    view.dot.opacity = 0;
    add(view.dot, fade("fade", 1, 0, 0.14, begin));
    add(view.dot, scale("scale", m_reduceMotion, 1.0, 0.4, begin));
    view.check.opacity = 0;
    add(view.check, fade("fade", 1, 0, 0.1, begin));
    view.icon.opacity = 1;
    view.icon.scale = 1;
    add(view.icon, fade("fade", 0, 1, 0.14, begin));
    add(view.icon, scale("scale", m_reduceMotion, 0.4, 1.0, begin));
    m_hidingEndsAt = end;
}

void CopyFeedback::advance() {
    if (!m_view) {
        m_timer.stop();
        return;
    }
    const double t = now();
    if (m_hideAt && t >= *m_hideAt) {
        const double begin = *m_hideAt;
        m_hideAt.reset();
        startDisappearance(begin);
    }
    if (m_hidingEndsAt && t >= *m_hidingEndsAt) {
        reset();
        return;
    }
    m_lastFrame = renderFrame(t);
    m_lastFrameAt = t;
    if (m_statusItem)
        m_statusItem->setDisplayedIcon(QIcon(QPixmap::fromImage(m_lastFrame)));
    schedule(t);
}

void CopyFeedback::schedule(double t) {
    constexpr double frameInterval = 1.0 / maxFramesPerSecond;
    double next = std::numeric_limits<double>::infinity();
    if (m_view->lastEnd() > t) {
        next = t + frameInterval;
    } else {
        // Nothing moves until the wait or the disappearance ends.
        if (m_hideAt)
            next = std::min(next, *m_hideAt);
        if (m_hidingEndsAt)
            next = std::min(next, *m_hidingEndsAt);
    }
    if (!std::isfinite(next)) {
        m_timer.stop();
        return;
    }
    if (m_lastFrameAt)
        next = std::max(next, *m_lastFrameAt + frameInterval);
    // Whole milliseconds, rounded up so frames never come faster; the tolerance keeps a wait of
    // 0.4 s from becoming 401 ms through rounding of the clock's doubles.
    m_timer.start(std::max(0, int(std::ceil((next - t) * 1000 - 1e-6))));
}

void CopyFeedback::reset() {
    m_hideAt.reset();
    m_hidingEndsAt.reset();
    m_timer.stop();
    if (!m_view)
        return;
    m_view.reset();
    m_lastFrame = QImage();
    if (m_statusItem)
        m_statusItem->restoreIcon();
}

QImage CopyFeedback::renderFrame(double t) const {
    if (!m_view)
        return {};
    const Overlay &view = *m_view;
    const qreal dpr = view.devicePixelRatio;
    QImage frame(QSize(qRound(view.size.width() * dpr), qRound(view.size.height() * dpr)),
                 QImage::Format_ARGB32_Premultiplied);
    frame.setDevicePixelRatio(dpr);
    frame.fill(Qt::transparent);

    const QSizeF size(view.size);
    const QPointF centre(size.width() / 2, size.height() / 2);
    const double unit = std::min(size.width(), size.height()) / referenceSide;
    const QRectF box(centre - QPointF(dotSide, dotSide) * unit / 2,
                     QSizeF(dotSide, dotSide) * unit);

    QPainter painter(&frame);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);

    const double iconOpacity = std::clamp(view.icon.valueAt(Property::opacity, t), 0.0, 1.0);
    if (iconOpacity > 0 && !view.snapshot.isNull()) {
        painter.save();
        painter.setOpacity(iconOpacity);
        scaleAbout(painter, centre, view.icon.valueAt(Property::scale, t));
        const QSizeF snapshotSize = view.snapshot.deviceIndependentSize();
        painter.drawImage(
            QRectF(centre - QPointF(snapshotSize.width(), snapshotSize.height()) / 2, snapshotSize),
            view.snapshot);
        painter.restore();
    }

    // The dot's fill and outline fade together, as one layer.
    const double dotOpacity = std::clamp(view.dot.valueAt(Property::opacity, t), 0.0, 1.0);
    if (dotOpacity > 0 && (view.dotFill || view.dotStroke)) {
        QImage layer(frame.size(), QImage::Format_ARGB32_Premultiplied);
        layer.setDevicePixelRatio(dpr);
        layer.fill(Qt::transparent);
        QPainter dotPainter(&layer);
        dotPainter.setRenderHint(QPainter::Antialiasing);
        scaleAbout(dotPainter, centre, view.dot.valueAt(Property::scale, t));
        QPainterPath circle;
        circle.addEllipse(box);
        if (view.dotFill)
            dotPainter.fillPath(circle, *view.dotFill);
        if (view.dotStroke)
            dotPainter.strokePath(circle, QPen(*view.dotStroke, dotLineWidth * unit));
        dotPainter.end();
        painter.setOpacity(dotOpacity);
        painter.drawImage(QPointF(0, 0), layer);
    }

    const double strokeEnd = std::clamp(view.check.valueAt(Property::strokeEnd, t), 0.0, 1.0);
    const double checkOpacity = std::clamp(view.check.valueAt(Property::opacity, t), 0.0, 1.0);
    if (strokeEnd > 0 && checkOpacity > 0) {
        painter.setOpacity(checkOpacity);
        painter.strokePath(partialCheck(box, unit, strokeEnd),
                           QPen(view.checkColor, checkLineWidth * unit, Qt::SolidLine, Qt::RoundCap,
                                Qt::RoundJoin));
    }
    return frame;
}
