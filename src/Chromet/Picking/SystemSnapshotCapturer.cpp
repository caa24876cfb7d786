#include "Chromet/Picking/SystemSnapshotCapturer.h"

#include "OrinPlatform/PlatformBackend.h"

#ifndef ORIN_NO_X11
#include "Chromet/Picking/X11/X11SnapshotCapturer.h"
#endif
#ifndef ORIN_NO_WAYLAND
#include "Chromet/Logging/Logging.h"
#include "Chromet/Picking/Portal/PortalSnapshotCapturer.h"
#include "Chromet/Picking/Wayland/WaylandSnapshotCapturer.h"
#include "OrinWayland/WaylandConnection.h"

#include <QScreen>
#endif

NullSnapshotCapturer::NullSnapshotCapturer(QString reason)
    : m_reason(std::move(reason)) {
}

void NullSnapshotCapturer::captureDisplay(const QPointF &, QObject *context, Completion done) {
    fail(context, std::move(done));
}

void NullSnapshotCapturer::captureAllDisplays(QObject *context, Completion done) {
    fail(context, std::move(done));
}

void NullSnapshotCapturer::fail(QObject *context, Completion done) const {
    CaptureResult result;
    result.error = QStringLiteral("screen capture is unavailable: ") + m_reason;
    deliverCaptureResult(QtFuture::makeReadyFuture(result), context, std::move(done));
}

std::unique_ptr<SnapshotCapturing> makeSystemCapturer() {
#ifndef ORIN_NO_X11
    if (PlatformBackend::kind() == PlatformBackend::Kind::X11) {
        if (X11SnapshotCapturer::isAvailable())
            return std::make_unique<X11SnapshotCapturer>();
        return std::make_unique<NullSnapshotCapturer>(QStringLiteral("the X connection is gone"));
    }
#endif
#ifndef ORIN_NO_WAYLAND
    if (PlatformBackend::kind() == PlatformBackend::Kind::Wayland) {
        WaylandConnection *connection = WaylandConnection::instance();
        if (PlatformBackend::readsScreenThroughPortal()) {
            qCInfo(lcLoupe, "Chromet: the screen is read through the desktop's screenshot portal");
            return std::make_unique<PortalSnapshotCapturer>(
                QDBusConnection::sessionBus(), [connection](const QScreen *screen) {
                    for (const WaylandOutput *output : connection->outputs()) {
                        if (output->name == screen->name())
                            return output->deviceSize();
                    }
                    return QSize();
                });
        }
        if (WaylandSnapshotCapturer::isAvailable(connection))
            return std::make_unique<WaylandSnapshotCapturer>(connection);
        return std::make_unique<NullSnapshotCapturer>(
            QStringLiteral("the compositor offers no screen copies to applications"));
    }
#endif
    return std::make_unique<NullSnapshotCapturer>(PlatformBackend::nullReason());
}
