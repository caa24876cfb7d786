#pragma once

#include "Chromet/Color/PickedColor.h"

#include <QDBusConnection>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

// The desktop's own color picker, through the Screenshot portal's PickColor: the way to pick
// where the loupe cannot show on a Wayland desktop, or where the desktop declines Chromet's
// screenshots (GNOME, KDE). The desktop shows its picker and hands back one sRGB color; there is
// no loupe of ours. Main thread only.
class PortalColorPicker : public QObject {
    Q_OBJECT

public:
    using Done = std::function<void(const std::optional<PickedColor> &color)>;

    // Null when the bus's portal has no PickColor (Screenshot before version 2).
    static std::unique_ptr<PortalColorPicker> create(const QDBusConnection &bus);
    // The picker where the platform cannot show the loupe over the screen but runs a desktop (a
    // Wayland compositor) and the session's portal has one; null elsewhere. Says in the log why
    // it is used.
    static std::unique_ptr<PortalColorPicker> createForPlatform();

    // Asks the desktop for a color; `done` runs on a later turn with it, or with nothing when
    // the user cancels or the portal fails. A request while one is open is ignored.
    void pick(Done done);
    bool isPicking() const { return m_picking; }

private:
    explicit PortalColorPicker(const QDBusConnection &bus)
        : m_bus(bus) {}

    QDBusConnection m_bus;
    bool m_picking = false;
};
