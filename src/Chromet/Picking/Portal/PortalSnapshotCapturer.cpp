#include "Chromet/Picking/Portal/PortalSnapshotCapturer.h"

#include "Chromet/Logging/Logging.h"
#include "OrinPortal/Portal.h"

#include <QColorSpace>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>
#include <QUrl>

#include <cmath>

namespace {

const QString interface = QStringLiteral("org.freedesktop.portal.Screenshot");

} // namespace

PortalSnapshotCapturer::PortalSnapshotCapturer(const QDBusConnection &bus, DeviceSize deviceSize)
    : m_bus(bus)
    , m_deviceSize(std::move(deviceSize)) {
}

PortalSnapshotCapturer::~PortalSnapshotCapturer() = default;

void PortalSnapshotCapturer::captureDisplay(const QPointF &global, QObject *context,
                                            Completion done) {
    capture(global, context, std::move(done));
}

void PortalSnapshotCapturer::captureAllDisplays(QObject *context, Completion done) {
    capture(std::nullopt, context, std::move(done));
}

void PortalSnapshotCapturer::capture(std::optional<QPointF> only, QObject *context,
                                     Completion done) {
    const QPointer<QObject> target(context);
    PortalRequest::call(
        m_bus, interface, QStringLiteral("Screenshot"), {QString()},
        {{QStringLiteral("interactive"), false}}, &m_requests,
        [this, only, target, done = std::move(done)](uint code, const QVariantMap &results) {
            CaptureResult result;
            const QUrl uri(results.value(QStringLiteral("uri")).toString());
            if (code != PortalRequest::Success || !uri.isLocalFile()) {
                result.declined = code != PortalRequest::Success;
                result.error = code == PortalRequest::Cancelled
                                   ? QStringLiteral("the desktop refused the screenshot")
                                   : QStringLiteral("the desktop's screenshot failed");
            } else {
                const QString path = uri.toLocalFile();
                QImageReader reader(path);
                const QImage desktop = reader.read();
                // Nobody asked for this file: it goes as soon as it is read.
                if (!QFile::remove(path))
                    qCWarning(lcLoupe, "cannot remove the screenshot %s", qUtf8Printable(path));
                result = desktop.isNull()
                             ? CaptureResult{{}, QStringLiteral("the screenshot cannot be read")}
                             : split(desktop);
            }
            if (only && result.ok()) {
                QList<ScreenSnapshot> under;
                for (const ScreenSnapshot &snapshot : std::as_const(result.snapshots)) {
                    if (snapshot.contains(*only))
                        under.append(snapshot);
                }
                result.snapshots = under;
            }
            deliverCaptureResult(QtFuture::makeReadyFuture(result), target, done);
        });
}

CaptureResult PortalSnapshotCapturer::split(const QImage &desktop) const {
    const QList<QScreen *> screens = QGuiApplication::screens();
    QRect layout;
    for (const QScreen *screen : screens)
        layout |= screen->geometry();
    if (layout.isEmpty())
        return {{}, QStringLiteral("no screens")};
    // The screenshot covers the layout at one scale, the highest screen's as a rule.
    const double scale = double(desktop.width()) / layout.width();
    CaptureResult result;
    for (int i = 0; i < screens.size(); ++i) {
        const QScreen *screen = screens[i];
        const QRectF area = QRectF(screen->geometry().translated(-layout.topLeft()));
        const QRect part(int(std::lround(area.x() * scale)), int(std::lround(area.y() * scale)),
                         int(std::lround(area.width() * scale)),
                         int(std::lround(area.height() * scale)));
        QImage image = desktop.copy(part).convertToFormat(QImage::Format_RGB32);
        QSize device = m_deviceSize ? m_deviceSize(screen) : QSize();
        if (!device.isValid())
            device = (QSizeF(screen->geometry().size()) * screen->devicePixelRatio()).toSize();
        if (image.size() != device)
            image = image.scaled(device, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        image.setColorSpace(QColorSpace(QColorSpace::SRgb));
        ScreenSnapshot snapshot;
        snapshot.displayID = quint32(i + 1);
        snapshot.screenName = screen->name();
        snapshot.frame = QRectF(screen->geometry());
        snapshot.image = image;
        result.snapshots.append(snapshot);
    }
    return result;
}
