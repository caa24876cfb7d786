#include "Chromet/Picking/GlassView.h"

#include "Chromet/Picking/FrostedBackdrop.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace {

const QColor rimColor(255, 255, 255, 77); // white at 0.3

} // namespace

GlassView::GlassView(FrostedBackdrop *backdrop, qreal cornerRadius, QWidget *parent)
    : QWidget(parent)
    , m_backdrop(backdrop)
    , m_cornerRadius(cornerRadius) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

void GlassView::setContent(QWidget *content) {
    m_content = content;
    if (!content)
        return;
    content->setParent(this);
    content->setGeometry(rect());
    content->show();
}

void GlassView::setFrame(const QRectF &frame) {
    if (frame == m_frame)
        return;
    m_frame = frame;
    place();
}

void GlassView::setOpacity(qreal opacity) {
    opacity = std::clamp(opacity, qreal(0), qreal(1));
    if (opacity == m_opacity)
        return;
    m_opacity = opacity;
    update();
    if (m_content)
        m_content->update();
}

void GlassView::setScale(qreal scale) {
    if (scale == m_scale)
        return;
    m_scale = std::max(scale, qreal(0));
    place();
}

QRectF GlassView::visualFrame() const {
    const QPointF centre = m_frame.center();
    const QSizeF size = m_frame.size() * m_scale;
    return QRectF(centre.x() - size.width() / 2, centre.y() - size.height() / 2, size.width(),
                  size.height());
}

QTransform GlassView::contentTransform() const {
    const QPointF origin = visualFrame().topLeft() - QPointF(geometry().topLeft());
    QTransform transform;
    transform.translate(origin.x(), origin.y());
    transform.scale(m_scale, m_scale);
    return transform;
}

QPainterPath GlassView::outline(qreal inset) const {
    QPainterPath path;
    const QRectF bounds =
        QRectF(QPointF(0, 0), m_frame.size()).adjusted(inset, inset, -inset, -inset);
    const qreal radius = std::max(
        qreal(0), std::min({m_cornerRadius - inset, bounds.width() / 2, bounds.height() / 2}));
    path.addRoundedRect(bounds, radius, radius);
    return path;
}

void GlassView::prepareContentPainter(QPainter &painter, const QWidget *content,
                                      const QSizeF &contentSize) {
    const auto *glass = qobject_cast<const GlassView *>(content->parentWidget());
    if (!glass)
        return;
    painter.setTransform(glass->contentTransform());
    painter.setOpacity(glass->opacity());
    const QSizeF frameSize = glass->frame().size();
    if (contentSize.width() > frameSize.width() || contentSize.height() > frameSize.height())
        painter.setClipPath(glass->outline());
}

void GlassView::place() {
    // One spare pixel around the drawn frame for the antialiased edge.
    const QRect covered = visualFrame().toAlignedRect().adjusted(-1, -1, 1, 1);
    if (covered != geometry())
        setGeometry(covered);
    else
        update();
    if (m_content)
        m_content->update();
}

void GlassView::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (m_content)
        m_content->setGeometry(rect());
}

void GlassView::paintEvent(QPaintEvent *) {
    if (m_opacity <= 0 || m_scale <= 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(m_opacity);

    const QTransform toWidget = contentTransform();
    const QPainterPath path = toWidget.map(outline());
    if (m_backdrop) {
        // What lies behind the glass on the display, in the parent's coordinates.
        const QRectF behind = visualFrame();
        QBrush brush = m_backdrop->brush(behind);
        const QPointF offset = -QPointF(geometry().topLeft());
        brush.setTransform(brush.transform() * QTransform::fromTranslate(offset.x(), offset.y()));
        painter.fillPath(path, brush);
    }
    // A thin rim just inside the edge; the pen is scaled with the glass.
    const qreal inset = 0.5;
    painter.setPen(QPen(rimColor, 1.0 * std::max(m_scale, qreal(0.01))));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(toWidget.map(outline(inset)));
}
