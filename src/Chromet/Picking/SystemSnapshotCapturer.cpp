#include "Chromet/Picking/SystemSnapshotCapturer.h"

#include "Chromet/Logging/Logging.h"
#include "Chromet/Picking/X11SnapshotCapturer.h"

#include <QGuiApplication>

UnavailableSnapshotCapturer::UnavailableSnapshotCapturer(QString reason)
    : m_reason(std::move(reason)) {
}

void UnavailableSnapshotCapturer::captureDisplay(const QPointF &, QObject *context,
                                                 Completion done) {
    fail(context, std::move(done));
}

void UnavailableSnapshotCapturer::captureAllDisplays(QObject *context, Completion done) {
    fail(context, std::move(done));
}

void UnavailableSnapshotCapturer::fail(QObject *context, Completion done) const {
    CaptureResult result;
    result.error = QStringLiteral("screen capture is unavailable: ") + m_reason;
    deliverCaptureResult(QtFuture::makeReadyFuture(result), context, std::move(done));
}

std::unique_ptr<SnapshotCapturing> makeSystemCapturer() {
    if (X11SnapshotCapturer::isAvailable())
        return std::make_unique<X11SnapshotCapturer>();
    const QString platform = QGuiApplication::platformName();
    const QString reason =
        platform.isEmpty()
            ? QStringLiteral("no display is open")
            : QStringLiteral("the \"%1\" platform is not an X11 session").arg(platform);
    qCWarning(lcChromet).noquote() << "Chromet: screen picking is unavailable:" << reason;
    return std::make_unique<UnavailableSnapshotCapturer>(reason);
}
