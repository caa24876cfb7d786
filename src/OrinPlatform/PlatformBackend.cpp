#include "OrinPlatform/PlatformBackend.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QStringList>
#include <QSystemTrayIcon>

#ifndef ORIN_NO_WAYLAND
#include "OrinPortal/Portal.h"
#include "OrinWayland/WaylandConnection.h"
#endif

namespace {

Q_LOGGING_CATEGORY(lcPlatform, "orin.platform")

bool hasGuiApplication() {
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

} // namespace

PlatformBackend::Kind PlatformBackend::kind() {
    if (!hasGuiApplication())
        return Kind::Null;
    const QString platform = QGuiApplication::platformName();
#ifndef ORIN_NO_X11
    if (platform == QLatin1String("xcb"))
        return Kind::X11;
#endif
#ifndef ORIN_NO_WAYLAND
    // Our own connection speaks the protocols Qt's does not; without it nothing can act.
    if (platform.startsWith(QLatin1String("wayland")) && WaylandConnection::instance())
        return Kind::Wayland;
#endif
    return Kind::Null;
}

QString PlatformBackend::name() {
    switch (kind()) {
    case Kind::X11:
        return QStringLiteral("X11");
    case Kind::Wayland:
        return QStringLiteral("Wayland");
    case Kind::Null:
        break;
    }
    return QStringLiteral("null");
}

QString PlatformBackend::nullReason() {
    if (kind() != Kind::Null)
        return QString();
    if (!hasGuiApplication())
        return QStringLiteral("no display is open");
    const QString platform = QGuiApplication::platformName();
#ifdef ORIN_NO_WAYLAND
    if (platform.startsWith(QLatin1String("wayland")))
        return QStringLiteral("this build has no Wayland support");
#else
    if (platform.startsWith(QLatin1String("wayland")))
        return QStringLiteral("the Wayland compositor does not answer");
#endif
#ifdef ORIN_NO_X11
    if (platform == QLatin1String("xcb"))
        return QStringLiteral("this build has no X11 support");
#endif
    return QStringLiteral("the \"%1\" platform has no screen, pointer or keyboard of a desktop")
        .arg(platform);
}

PlatformBackend::Capabilities PlatformBackend::capabilities() {
    Capabilities c;
    if (kind() == Kind::X11) {
        c.canCaptureScreen = true;
        c.canWarpPointer = true;
        c.canGrabShortcuts = true;
        c.canPlacePanels = true;
        c.canSendKeystrokes = true;
        // Any X client may read the screen: there is no setting to open.
        c.hasPermissionSetting = false;
    }
#ifndef ORIN_NO_WAYLAND
    if (kind() == Kind::Wayland) {
        const WaylandConnection *wayland = WaylandConnection::instance();
        // Only the compositor's own key bindings reach a client, and clients cannot place
        // their windows or move the pointer. The loupe is an overlay layer surface, else a
        // fullscreen window, over snapshots from screen copies or the screenshot portal.
        c.canCaptureScreen = (wayland->layerShell() || wayland->windowManager()) &&
                             (wayland->screencopy() || readsScreenThroughPortal());
        c.canSendKeystrokes = wayland->virtualKeyboard() != nullptr;
    }
#endif
    c.hasTray = qobject_cast<QApplication *>(QCoreApplication::instance()) &&
                QSystemTrayIcon::isSystemTrayAvailable();
    return c;
}

bool PlatformBackend::readsScreenThroughPortal() {
#ifndef ORIN_NO_WAYLAND
    if (kind() != Kind::Wayland)
        return false;
    const bool forced = qEnvironmentVariable("CHROMET_CAPTURE") == QLatin1String("portal");
    if (WaylandConnection::instance()->screencopy() && !forced)
        return false;
    static const bool offered =
        Portal::interfaceVersion(QDBusConnection::sessionBus(),
                                 QStringLiteral("org.freedesktop.portal.Screenshot")) >= 1;
    return offered;
#else
    return false;
#endif
}

void PlatformBackend::reportUnavailable() {
    static bool reported = false;
    if (reported || kind() != Kind::Null)
        return;
    reported = true;
    const Capabilities c = capabilities();
    QStringList missing;
    if (!c.canCaptureScreen)
        missing.append(QStringLiteral("screen capture"));
    if (!c.canGrabShortcuts)
        missing.append(QStringLiteral("global shortcuts"));
    if (!c.canSendKeystrokes)
        missing.append(QStringLiteral("keystrokes to other applications"));
    if (!c.canWarpPointer)
        missing.append(QStringLiteral("moving the pointer"));
    if (!c.canPlacePanels)
        missing.append(QStringLiteral("window placement"));
    qCWarning(lcPlatform).noquote() << "no window-system backend:" << nullReason() << "-"
                                    << missing.join(QStringLiteral(", ")) << "unavailable";
}
