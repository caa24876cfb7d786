#include "Chromet/Picking/GlassView.h"

#include "Chromet/Picking/FrostedBackdrop.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

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

void GlassView::setOpaqueContent(const QRectF &ellipse) {
    m_opaqueContent = ellipse;
    update();
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
    if (!paintComposed(painter))
        paintWithPainter(painter);
}

bool GlassView::paintComposed(QPainter &painter) {
    if (!m_backdrop || m_backdrop->isNull())
        return false;
    const QTransform device = painter.deviceTransform();
    const qreal ratio = device.m11();
    auto integral = [](qreal v) {
        return std::abs(v - std::round(v)) < 1e-6;
    };
    const QPointF origin = QPointF(geometry().topLeft()) * ratio;
    if (device.type() > QTransform::TxScale || device.m22() != ratio ||
        std::abs(ratio - m_backdrop->scale()) > 1e-9 || !integral(device.dx()) ||
        !integral(device.dy()) || !integral(origin.x()) || !integral(origin.y()) ||
        !integral(width() * ratio) || !integral(height() * ratio))
        return false;

    const QSize size(int(std::lround(width() * ratio)), int(std::lround(height() * ratio)));
    const QTransform toDevice = contentTransform() * QTransform::fromScale(ratio, ratio);
    const QRectF visual = toDevice.mapRect(QRectF(QPointF(0, 0), m_frame.size()));
    const QRectF opaque = m_opaqueContent.isEmpty() ? QRectF() : toDevice.mapRect(m_opaqueContent);
    Layers &layers = m_layers;
    if (layers.size != size || layers.ratio != ratio || layers.visual != visual ||
        layers.opaque != opaque) {
        layers.size = size;
        layers.ratio = ratio;
        layers.visual = visual;
        layers.opaque = opaque;
        // Every pick's glass starts with the same pop-in frame in a new view: that frame's
        // masks are kept across views (a ring and a pill, at a display scale or two), as
        // building them is most of its drawing.
        struct Kept {
            Layers layers;
            QSizeF frame;
            qreal radius;
        };
        static std::vector<Kept> keptFirst;
        const bool firstPaint = !std::exchange(m_paintedOnce, true);
        const auto found =
            firstPaint
                ? std::find_if(keptFirst.begin(), keptFirst.end(),
                               [&](const Kept &k) {
                                   return k.layers.size == size && k.layers.ratio == ratio &&
                                          k.layers.visual == visual && k.layers.opaque == opaque &&
                                          k.frame == m_frame.size() && k.radius == m_cornerRadius;
                               })
                : keptFirst.end();
        if (found != keptFirst.end()) {
            layers.mask = found->layers.mask;
            layers.rim = found->layers.rim;
        } else {
            QImage mask(size, QImage::Format_ARGB32_Premultiplied);
            mask.fill(Qt::transparent);
            QImage rim = mask;
            {
                QPainter p(&mask);
                p.setRenderHint(QPainter::Antialiasing);
                p.setTransform(toDevice);
                p.fillPath(outline(), Qt::white);
                if (!m_opaqueContent.isEmpty()) {
                    p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
                    p.setPen(Qt::NoPen);
                    p.setBrush(Qt::white);
                    p.drawEllipse(m_opaqueContent);
                }
            }
            {
                QPainter p(&rim);
                p.setRenderHint(QPainter::Antialiasing);
                p.setTransform(toDevice);
                p.setPen(QPen(rimColor, 1.0));
                p.drawPath(outline(0.5));
            }
            layers.mask = CoverageMask(std::move(mask));
            layers.rim = CoverageMask(std::move(rim));
            if (firstPaint) {
                if (keptFirst.size() >= 8)
                    keptFirst.erase(keptFirst.begin());
                keptFirst.push_back({layers, m_frame.size(), m_cornerRadius});
            }
        }
        layers.composed = QImage(size, QImage::Format_ARGB32_Premultiplied);
        layers.composed.fill(Qt::transparent);
        layers.composed.setDevicePixelRatio(ratio);
    }

    // The display's blurred pixels behind the glass, one for one.
    const QPoint imageOrigin(int(std::lround(origin.x())), int(std::lround(origin.y())));
    m_backdrop->prepare(QRect(imageOrigin, size));
    const QImage &maskImage = layers.mask.image();
    const QImage &rimImage = layers.rim.image();
    const QRect blurred = QRect(imageOrigin, size) & QRect(QPoint(0, 0), m_backdrop->imageSize());
    for (int y = 0; y < size.height(); ++y) {
        auto *out = reinterpret_cast<QRgb *>(layers.composed.scanLine(y));
        const auto *mask = reinterpret_cast<const QRgb *>(maskImage.constScanLine(y));
        const int imageY = imageOrigin.y() + y;
        for (auto span = layers.mask.rowBegin(y); span != layers.mask.rowEnd(y); ++span) {
            for (int x = span->begin; x < span->end;) {
                const int imageX = imageOrigin.x() + x;
                if (!blurred.contains(imageX, imageY)) {
                    out[x++] = 0;
                    continue;
                }
                // One run up to the end of the backdrop's tile.
                const int run =
                    std::min({span->end - x, blurred.right() + 1 - imageX,
                              FrostedBackdrop::fullTile - imageX % FrostedBackdrop::fullTile});
                const QRgb *behind = m_backdrop->blurredRun(imageX, imageY);
                for (int i = 0; i < run; ++i, ++x) {
                    const uint coverage = qAlpha(mask[x]);
                    out[x] =
                        coverage == 255 ? behind[i] : CoverageMask::multiply(behind[i], coverage);
                }
            }
        }
        const auto *rim = reinterpret_cast<const QRgb *>(rimImage.constScanLine(y));
        for (auto span = layers.rim.rowBegin(y); span != layers.rim.rowEnd(y); ++span)
            for (int x = span->begin; x < span->end; ++x)
                out[x] = CoverageMask::sourceOver(out[x], rim[x]);
    }
    painter.setOpacity(m_opacity);
    painter.drawImage(QRectF(QPointF(0, 0), QSizeF(size) / ratio), layers.composed);
    return true;
}

void GlassView::paintWithPainter(QPainter &painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(m_opacity);

    const QTransform toWidget = contentTransform();
    const QPainterPath path = toWidget.map(outline());
    if (m_backdrop) {
        // What lies behind the glass on the display, in the parent's coordinates.
        QBrush brush = m_backdrop->brush(visualFrame());
        const QPointF offset = -QPointF(geometry().topLeft());
        brush.setTransform(brush.transform() * QTransform::fromTranslate(offset.x(), offset.y()));
        painter.fillPath(path, brush);
    }
    // A thin rim just inside the edge, scaled with the glass.
    painter.setTransform(toWidget, true);
    painter.setPen(QPen(rimColor, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline(0.5));
}
