#pragma once

#include "Chromet/Picking/SnapshotCapturing.h"

#include <QDBusConnection>
#include <QObject>

#include <functional>

class QScreen;

// Reads the screen through the Screenshot portal, for compositors that copy the screen for no
// client directly (KDE, GNOME) or when asked to (CHROMET_CAPTURE=portal): one non-interactive
// screenshot of the whole desktop, cut into one snapshot per screen by the screens' geometry
// and device size. The portal writes the screenshot into a file; it is read and removed at once.
class PortalSnapshotCapturer : public SnapshotCapturing {
public:
    // A screen's size in device pixels, invalid when unknown: then its logical size by Qt's
    // pixel ratio, which is whole where the compositor scales by a fraction.
    using DeviceSize = std::function<QSize(const QScreen *)>;

    explicit PortalSnapshotCapturer(const QDBusConnection &bus, DeviceSize deviceSize = {});
    ~PortalSnapshotCapturer() override;

    void captureDisplay(const QPointF &global, QObject *context, Completion done) override;
    void captureAllDisplays(QObject *context, Completion done) override;
    bool capturesUnnoticed() const override { return false; }

    // The screens' snapshots from a screenshot of the whole desktop: each screen's part, brought
    // to its device size where the screenshot has another scale.
    CaptureResult split(const QImage &desktop) const;

private:
    void capture(std::optional<QPointF> only, QObject *context, Completion done);

    QDBusConnection m_bus;
    DeviceSize m_deviceSize;
    // Owns the portal requests: gone with the capturer.
    QObject m_requests;
};
