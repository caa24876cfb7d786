#include "OrinTheme/MaterialView.h"

#include "OrinTheme/WindowEffects.h"

#include <QBitmap>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

MaterialView::MaterialView(Kind kind, qreal cornerRadius, bool masked, QWidget *parent)
    : QWidget(parent)
    , m_kind(kind)
    , m_blurred(kind == Kind::Glass && WindowEffects::blurBehindAvailable())
    , m_cornerRadius(cornerRadius)
    , m_masked(masked) {
    setAttribute(Qt::WA_TranslucentBackground, kind == Kind::Glass);
    setAutoFillBackground(false);
}

void MaterialView::setContent(QWidget *content) {
    if (m_content == content)
        return;
    if (m_content && m_content->parentWidget() == this)
        m_content->setParent(nullptr);
    m_content = content;
    if (!content)
        return;
    content->setParent(this);
    content->setGeometry(rect());
    content->show();
}

QPainterPath MaterialView::outline() const {
    QPainterPath path;
    const QRectF bounds(rect());
    const qreal radius = qMin(m_cornerRadius, qMin(bounds.width(), bounds.height()) / 2);
    path.addRoundedRect(bounds, radius, radius);
    return path;
}

QRegion MaterialView::roundedRegion(const QSize &size, qreal cornerRadius) {
    if (size.isEmpty())
        return {};
    // Drawn, not computed, so the region follows the painted outline pixel for pixel.
    QBitmap bitmap(size);
    bitmap.fill(Qt::color0);
    QPainter painter(&bitmap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::color1);
    const qreal radius = qMin(cornerRadius, qMin(size.width(), size.height()) / 2.0);
    painter.drawRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), radius, radius);
    painter.end();
    return QRegion(bitmap);
}

void MaterialView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = outline();
    const QColor window = palette().color(QPalette::Window);
    const bool dark = window.lightnessF() < 0.5;

    if (m_kind == Kind::Glass) {
        QColor fill = window;
        fill.setAlphaF(m_blurred ? float(glassFillOpacity) : 1.0f);
        painter.fillPath(shape, fill);
        // A sheen on the upper half and a light rim, as light catches the edge of glass.
        QLinearGradient sheen(0, 0, 0, height() / 2.0);
        sheen.setColorAt(0, QColor(255, 255, 255, dark ? 20 : 46));
        sheen.setColorAt(1, QColor(255, 255, 255, 0));
        painter.fillPath(shape, sheen);
        painter.setPen(QPen(QColor(255, 255, 255, dark ? 46 : 115), 1));
    } else {
        painter.fillPath(shape, window);
        QColor rim = palette().color(QPalette::WindowText);
        rim.setAlphaF(0.18f);
        painter.setPen(QPen(rim, 1));
    }
    const qreal radius = qMin(m_cornerRadius, qMin(width(), height()) / 2.0);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), qMax(0.0, radius - 0.5),
                            qMax(0.0, radius - 0.5));
}

void MaterialView::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (m_content)
        m_content->setGeometry(rect());
    applyMask();
    requestBlur();
}

void MaterialView::moveEvent(QMoveEvent *event) {
    QWidget::moveEvent(event);
    requestBlur();
}

void MaterialView::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    requestBlur();
}

void MaterialView::requestBlur() {
    // The region is in the window's coordinates: a wrapped surface sits inside a shadow margin.
    if (!m_blurred || !isVisible())
        return;
    WindowEffects::setBlurBehind(
        window(), roundedRegion(size(), m_cornerRadius).translated(mapTo(window(), QPoint(0, 0))));
}

void MaterialView::applyMask() {
    if (!m_masked || m_kind != Kind::Opaque)
        return;
    const QRegion region = roundedRegion(size(), m_cornerRadius);
    setMask(region);
    // Filling its window: the window takes the same shape, or its square corners would show.
    QWidget *top = window();
    if (top != this && parentWidget() == top && geometry() == top->rect())
        top->setMask(region);
}

void MaterialView::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    QWindow *handle = window()->windowHandle();
    if (handle && handle->startSystemMove()) {
        event->accept();
        return;
    }
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - window()->frameGeometry().topLeft();
    event->accept();
}

void MaterialView::mouseMoveEvent(QMouseEvent *event) {
    if (!m_dragging) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    window()->move(event->globalPosition().toPoint() - m_dragOffset);
    event->accept();
}

void MaterialView::mouseReleaseEvent(QMouseEvent *event) {
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}
