#include "Chromet/Picking/Wayland/WaylandPermissionChecker.h"

#include "Chromet/Picking/Wayland/WaylandSnapshotCapturer.h"

#include "OrinPlatform/PlatformBackend.h"
#include "OrinWayland/WaylandConnection.h"

void WaylandPermissionChecker::check(Answer answer) {
    WaylandConnection *connection = WaylandConnection::instance();
    answer(PlatformBackend::readsScreenThroughPortal() ||
           (WaylandSnapshotCapturer::isAvailable(connection) && !connection->hasFailed()));
}

QString WaylandPermissionChecker::deniedReason() const {
    return QStringLiteral("This compositor does not let applications copy the screen "
                          "(it offers no wlr-screencopy protocol).");
}
