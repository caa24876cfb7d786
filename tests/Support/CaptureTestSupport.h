#pragma once

#include "Chromet/Picking/SnapshotCapturing.h"
#include "Support/ColorFixture.h"
#include "Support/RunProgram.h"

#include <QColorSpace>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <cmath>
#include <optional>

// Runs one capture request and waits for its delivery. `deliveredInside` tells whether the
// completion ran before the request returned, which it never may.
inline std::optional<CaptureResult>
waitForCapture(const std::function<void(QObject *, SnapshotCapturing::Completion)> &request,
               bool *deliveredInside = nullptr) {
    QObject context;
    std::optional<CaptureResult> result;
    request(&context, [&](CaptureResult r) { result = std::move(r); });
    if (deliveredInside)
        *deliveredInside = result.has_value();
    if (!QTest::qWaitFor([&] { return result.has_value(); }, 20000))
        return std::nullopt;
    return result;
}

// A borderless window of the color fixture's pattern, in which every pixel has a color of its
// own, placed exactly where asked (no window manager runs).
class PatternWindow : public QWidget {
public:
    explicit PatternWindow(const QRect &geometry)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setGeometry(geometry);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        const qreal ratio = devicePixelRatioF();
        QImage image = colorFixtureImage((QSizeF(size()) * ratio).toSize());
        image.setDevicePixelRatio(ratio);
        QPainter(this).drawImage(0, 0, image);
    }
};

// Whether the snapshot shows a PatternWindow of `geometry` (at 1x) pixel for pixel.
inline bool showsPattern(const ScreenSnapshot &snapshot, const QRect &geometry) {
    const std::optional<QPoint> origin = snapshot.pixelAt(geometry.topLeft());
    if (!origin)
        return false;
    QImage shown = snapshot.image.copy(QRect(*origin - snapshot.imageOrigin(), geometry.size()))
                       .convertToFormat(QImage::Format_RGB32);
    shown.setColorSpace(QColorSpace());
    return shown == colorFixtureImage(geometry.size());
}

inline QRgb toRgb(const PickedColor &color) {
    return qRgb(int(std::lround(color.srgb.r * 255)), int(std::lround(color.srgb.g * 255)),
                int(std::lround(color.srgb.b * 255)));
}
