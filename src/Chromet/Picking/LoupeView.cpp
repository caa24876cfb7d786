#include "Chromet/Picking/LoupeView.h"

#include "Chromet/Picking/FrostedBackdrop.h"
#include "Chromet/Picking/GlassView.h"
#include "Chromet/Picking/LensView.h"
#include "Chromet/Picking/Motion.h"
#include "OrinHotkey/KeyCodes.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace {

int channelByte(double value) {
    if (!(value > 0)) // also NaN
        return 0;
    return int(std::lround(std::min(value, 1.0) * 255));
}

} // namespace

LoupeView::LoupeView(ScreenSnapshot snapshot, QWidget *parent)
    : QWidget(parent)
    , m_snapshot(std::move(snapshot))
    , m_label(&LoupeView::defaultLabel) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    resize(m_snapshot.frame.size().toSize());

    m_backdrop = std::make_unique<FrostedBackdrop>(m_snapshot);
    m_lens = new LensView(this);
    m_lens->hide();
    m_pill = new PillView(this);
    m_pill->hide();
}

LoupeView::LoupeView(ScreenSnapshot snapshot, ColorFormat format, bool lowercaseHex,
                     QWidget *parent)
    : LoupeView(std::move(snapshot), parent) {
    setLabel(formatLabel(format, lowercaseHex));
}

LoupeView::~LoupeView() = default;

void LoupeView::setSnapshot(ScreenSnapshot snapshot) {
    m_snapshot = std::move(snapshot);
    // In place: the glass keeps its pointer to the backdrop.
    *m_backdrop = FrostedBackdrop(m_snapshot);
    QWidget::update();
}

QRect LoupeView::capturedArea() const {
    if (!m_snapshot.isPartial())
        return rect();
    const double s = m_snapshot.scale();
    if (!(s > 0))
        return {};
    const QRect pixels = m_snapshot.capturedPixels();
    // Whole points inside the pixels, less one for the rounding of a fractional scale.
    const QRect points(QPoint(int(std::ceil(pixels.left() / s)), int(std::ceil(pixels.top() / s))),
                       QPoint(int(std::floor((pixels.right() + 1) / s)) - 1,
                              int(std::floor((pixels.bottom() + 1) / s)) - 1));
    return points.adjusted(1, 1, -1, -1) & rect();
}

QString LoupeView::defaultLabel(const PickedColor &color) {
    return QStringLiteral("#%1%2%3")
        .arg(channelByte(color.srgb.r), 2, 16, QLatin1Char('0'))
        .arg(channelByte(color.srgb.g), 2, 16, QLatin1Char('0'))
        .arg(channelByte(color.srgb.b), 2, 16, QLatin1Char('0'))
        .toUpper();
}

LoupeView::Label LoupeView::formatLabel(ColorFormat format, bool lowercaseHex) {
    return [format, lowercaseHex](const PickedColor &color) {
        return ColorFormats::labelText(format, color, lowercaseHex);
    };
}

void LoupeView::setLabel(Label label) {
    m_label = label ? std::move(label) : Label(&LoupeView::defaultLabel);
}

bool LoupeView::isLoupeVisible() const {
    return m_ringGlass && !m_ringGlass->isHidden();
}

QRegion LoupeView::takePaintedRegion() {
    return std::exchange(m_painted, QRegion());
}

void LoupeView::ensureGlass() {
    if (m_ringGlass)
        return;
    // The pill is made second so that it lies above the ring.
    m_ringGlass = new GlassView(m_backdrop.get(), ringRadius, this);
    m_ringGlass->setObjectName(QStringLiteral("ringGlass"));
    m_ringGlass->hide();
    m_ringGlass->setContent(m_lens);
    // The lens is opaque inside its circle: no backdrop is needed there.
    m_ringGlass->setOpaqueContent(
        QRectF(0, 0, ringSize, ringSize)
            .adjusted(LensView::inset, LensView::inset, -LensView::inset, -LensView::inset));
    m_pillGlass = new GlassView(m_backdrop.get(), pillRadius, this);
    m_pillGlass->setObjectName(QStringLiteral("pillGlass"));
    m_pillGlass->hide();
    m_pillGlass->setContent(m_pill);
}

QRegion LoupeView::loupeRegion() const {
    QRegion region;
    for (const GlassView *glass : {m_ringGlass, m_pillGlass}) {
        if (glass && !glass->isHidden())
            region += glass->geometry();
    }
    return region.intersected(rect());
}

QRectF LoupeView::pillFrame(qreal width) const {
    const QRectF ring = m_ringGlass->frame();
    const QSizeF bounds = m_snapshot.frame.size();
    // Below the ring, or above it where the display ends first.
    qreal y = ring.bottom() + pillGap;
    if (y + PillView::height > bounds.height())
        y = ring.top() - pillGap - PillView::height;
    qreal x = ring.center().x() - width / 2;
    x = std::max(x, qreal(0));
    x = std::min(x, bounds.width() - width);
    return QRectF(x, y, width, PillView::height);
}

void LoupeView::update(const QPointF &global) {
    ensureGlass();
    const QRegion before = loupeRegion();

    const std::optional<QPoint> pixel = m_snapshot.pixelAt(global);
    // Nothing is shown over pixels not captured yet; the loupe appears once they are.
    if (!pixel || !m_snapshot.capturedPixels().contains(*pixel)) {
        m_ringGlass->hide();
        m_pillGlass->hide();
        m_lastDirty = before;
        return;
    }
    const bool popIn = m_ringGlass->isHidden() || !m_hasAppeared;

    const QPointF local = global - m_snapshot.frame.topLeft();
    if (auto crop = m_snapshot.lensCrop(pixel->x(), pixel->y(), LensView::cells))
        m_lens->setCrop(std::move(crop->image), crop->offset);
    else
        m_lens->setCrop(std::nullopt, QPoint());

    m_ringGlass->setFrame(
        QRectF(local.x() - ringRadius, local.y() - ringRadius, ringSize, ringSize));
    m_lens->setBoundsSize(m_ringGlass->frame().size());
    m_lens->update();

    if (const std::optional<PickedColor> color = m_snapshot.colorAtPixel(pixel->x(), pixel->y())) {
        m_pill->setColor(QColor::fromRgbF(float(std::clamp(color->srgb.r, 0.0, 1.0)),
                                          float(std::clamp(color->srgb.g, 0.0, 1.0)),
                                          float(std::clamp(color->srgb.b, 0.0, 1.0))));
        m_pill->setText(m_label(*color));
    } else {
        m_pill->setColor(Qt::black);
        m_pill->setText(QString());
    }

    const QRectF pillRect = pillFrame(PillView::widthFor(m_pill->text()));
    m_pillGlass->setFrame(pillRect);

    // Hysteresis keeps the label from flickering over mid-grey areas.
    if (const std::optional<double> luminance = m_snapshot.averageLuminance(pillRect)) {
        if (m_pill->tone() == PillTone::lightText && *luminance > darkAbove)
            m_pill->setTone(PillTone::darkText);
        else if (m_pill->tone() == PillTone::darkText && *luminance < lightBelow)
            m_pill->setTone(PillTone::lightText);
    }
    m_pill->setBoundsSize(pillRect.size());
    m_pill->update();

    m_ringGlass->show();
    m_pillGlass->show();
    if (popIn) {
        m_hasAppeared = true;
        Motion::popIn(m_ringGlass, ringPopScale, 0);
        Motion::popIn(m_pillGlass, pillPopScale, pillPopDelay);
    }
    m_lastDirty = before + loupeRegion();
}

void LoupeView::confirm() {
    if (!m_pillGlass || m_pillGlass->isHidden() || m_pill->text().isEmpty())
        return;
    const QRegion before = loupeRegion();
    m_pill->setText(m_pill->text() + QStringLiteral(" copied"));
    const QRectF target = pillFrame(PillView::widthFor(m_pill->text()));
    // The label is laid out at its new width at once; the glass grows to reveal it.
    m_pill->setBoundsSize(target.size());
    m_pill->update();
    Motion::animate({{m_pillGlass, "frame", target}});
    m_lastDirty = before + QRegion(target.toAlignedRect().adjusted(-1, -1, 1, 1));
}

void LoupeView::popOut() {
    if (!isLoupeVisible())
        return;
    Motion::popOut(m_ringGlass, ringPopOutScale, popOutSeconds);
    Motion::popOut(m_pillGlass, pillPopOutScale, popOutSeconds);
}

void LoupeView::dropLoupe() {
    const QRegion region = loupeRegion();
    for (GlassView *glass : {m_ringGlass, m_pillGlass}) {
        if (glass) {
            Motion::finish(glass);
            glass->hide();
        }
    }
    if (!region.isEmpty())
        repaint(region);
}

void LoupeView::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    const QImage &image = m_snapshot.image;
    const double scale = m_snapshot.scale();
    const QPointF origin = m_snapshot.imageOrigin();
    // Beyond a partial snapshot the window shows nothing (it is masked).
    for (const QRect &rect : event->region() & capturedArea()) {
        if (image.isNull() || !(scale > 0)) {
            painter.fillRect(rect, Qt::black);
            continue;
        }
        painter.drawImage(
            QRectF(rect), image,
            QRectF(rect.x() * scale, rect.y() * scale, rect.width() * scale, rect.height() * scale)
                .translated(-origin));
    }
    m_painted += event->region();
}

void LoupeView::mouseMoveEvent(QMouseEvent *event) {
    event->accept();
    if (m_onMove)
        m_onMove(event->globalPosition());
}

void LoupeView::mousePressEvent(QMouseEvent *event) {
    event->accept();
    if (event->button() == Qt::LeftButton)
        action(LoupeAction::pick());
    else if (event->button() == Qt::RightButton)
        action(LoupeAction::cancel());
}

void LoupeView::mouseReleaseEvent(QMouseEvent *event) {
    event->accept();
}

void LoupeView::keyPressEvent(QKeyEvent *event) {
    // Every key is swallowed; only these do something.
    event->accept();
    const std::optional<quint32> code = KeyCodes::fromKeyEvent(*event);
    if (!code)
        return;
    const int step = event->modifiers().testFlag(Qt::ShiftModifier) ? 10 : 1;
    switch (*code & 0xffff) {
    case KeyCodes::returnKey:
    case KeyCodes::space:
        action(LoupeAction::pick());
        break;
    case KeyCodes::escape:
        action(LoupeAction::cancel());
        break;
    case KeyCodes::leftArrow:
        action(LoupeAction::nudge(-step, 0));
        break;
    case KeyCodes::rightArrow:
        action(LoupeAction::nudge(step, 0));
        break;
    case KeyCodes::downArrow:
        action(LoupeAction::nudge(0, -step));
        break;
    case KeyCodes::upArrow:
        action(LoupeAction::nudge(0, step));
        break;
    default:
        break;
    }
}

bool LoupeView::focusNextPrevChild(bool) {
    return false;
}

void LoupeView::action(const LoupeAction &action) {
    if (m_onAction)
        m_onAction(action);
}
