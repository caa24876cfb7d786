#include "Chromet/Picking/ScreenSnapshot.h"

#include "Chromet/Color/ColorConversion.h"

#include <QColorSpace>

#include <algorithm>
#include <cmath>

namespace {

// The color space the pixels are interpreted in: the image's own when it carries a usable one.
QColorSpace workingSpace(const QImage &image) {
    const QColorSpace space = image.colorSpace();
    return space.isValid() ? space : QColorSpace(QColorSpace::SRgb);
}

double linearised(int byte) {
    const double c = byte / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// A view of part of the image without copying it, when the format allows one.
QImage regionOf(const QImage &image, const QRect &region) {
    if (image.depth() == 32 && region.width() > 0) {
        const uchar *origin =
            image.constScanLine(region.top()) + qsizetype(region.left()) * qsizetype(4);
        QImage view(origin, region.width(), region.height(), image.bytesPerLine(), image.format());
        view.setColorSpace(image.colorSpace());
        return view;
    }
    return image.copy(region);
}

} // namespace

double ScreenSnapshot::scale() const {
    if (frame.width() <= 0)
        return 0;
    return pixelSize().width() / frame.width();
}

std::optional<QPoint> ScreenSnapshot::pixelAt(const QPointF &global) const {
    if (image.isNull() || !contains(global))
        return std::nullopt;
    const double s = scale();
    if (s <= 0)
        return std::nullopt;
    const int column = int(std::floor((global.x() - frame.left()) * s));
    const int row = int(std::floor((global.y() - frame.top()) * s));
    const QSize size = pixelSize();
    return QPoint(std::clamp(column, 0, size.width() - 1), std::clamp(row, 0, size.height() - 1));
}

std::optional<PickedColor> ScreenSnapshot::colorAtPixel(int column, int row) const {
    if (!capturedPixels().contains(column, row))
        return std::nullopt;
    // Read the pixel as an 8-bit premultiplied value, as a 1 x 1 bitmap draw would give it; the
    // alpha itself is ignored.
    const QPoint at = QPoint(column, row) - imageOrigin();
    const QImage pixel =
        image.copy(at.x(), at.y(), 1, 1).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (pixel.isNull())
        return std::nullopt;
    const QRgb value = reinterpret_cast<const QRgb *>(pixel.constScanLine(0))[0];
    const RGB components{qRed(value) / 255.0, qGreen(value) / 255.0, qBlue(value) / 255.0};
    return pickedColor(components, workingSpace(image));
}

std::optional<ScreenSnapshot::LensCrop> ScreenSnapshot::lensCrop(int centreColumn, int centreRow,
                                                                 int n) const {
    if (n <= 0 || image.isNull())
        return std::nullopt;
    const int half = n / 2;
    const QRect requested(centreColumn - half, centreRow - half, n, n);
    const QRect visible = requested & capturedPixels();
    if (visible.isEmpty())
        return std::nullopt;
    LensCrop crop;
    crop.image = image.copy(visible.translated(-imageOrigin()));
    crop.offset = visible.topLeft() - requested.topLeft();
    return crop;
}

std::optional<double> ScreenSnapshot::averageLuminance(const QRectF &local) const {
    const double s = scale();
    if (image.isNull() || s <= 0)
        return std::nullopt;
    const QRectF scaled(local.x() * s, local.y() * s, local.width() * s, local.height() * s);
    const QRect known = capturedPixels();
    const QRectF clipped = scaled & QRectF(known);
    if (clipped.isEmpty())
        return std::nullopt;
    const QRect pixels = clipped.toAlignedRect() & known;
    if (pixels.width() < 1 || pixels.height() < 1)
        return std::nullopt;

    QImage small = regionOf(image, pixels.translated(-imageOrigin()))
                       .scaled(8, 8, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    small = small.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QColorSpace source = workingSpace(image);
    if (source != QColorSpace(QColorSpace::SRgb)) {
        small.setColorSpace(source);
        small.convertToColorSpace(QColorSpace::SRgb);
    }
    if (small.width() != 8 || small.height() != 8)
        return std::nullopt;

    double sum = 0;
    for (int y = 0; y < 8; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(small.constScanLine(y));
        for (int x = 0; x < 8; ++x) {
            const QRgb p = line[x];
            sum += 0.2126 * linearised(qRed(p)) + 0.7152 * linearised(qGreen(p)) +
                   0.0722 * linearised(qBlue(p));
        }
    }
    return sum * 0.015625;
}
