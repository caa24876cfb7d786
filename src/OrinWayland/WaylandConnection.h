#pragma once

#include "OrinWayland/WaylandOutput.h"

#include <QList>
#include <QObject>
#include <QPointF>

#include <memory>

class QSocketNotifier;
struct wl_compositor;
struct wl_display;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wl_subcompositor;
struct wp_viewporter;
struct xdg_wm_base;
struct zwlr_data_control_manager_v1;
struct zwlr_layer_shell_v1;
struct zwlr_screencopy_manager_v1;
struct zwp_virtual_keyboard_manager_v1;
struct zxdg_output_manager_v1;

// This process's own connection to the compositor, apart from Qt's: the loupe's surfaces,
// screen copies, the clipboard and the virtual keyboard need protocols Qt does not speak. Its
// events are read and dispatched from the main thread's event loop. Main thread only.
class WaylandConnection : public QObject {
    Q_OBJECT

public:
    // The connection, made on first use; null where no compositor answers.
    static WaylandConnection *instance();
    ~WaylandConnection() override;

    wl_display *display() const { return m_display; }
    wl_compositor *compositor() const { return m_compositor; }
    wl_subcompositor *subcompositor() const { return m_subcompositor; }
    wl_shm *shm() const { return m_shm; }
    wl_seat *seat() const { return m_seat; }
    // What the seat has now (wl_seat_capability: pointer, keyboard), which changes as devices
    // come and go.
    quint32 seatCapabilities() const { return m_seatCapabilities; }
    wp_viewporter *viewporter() const { return m_viewporter; }
    zwlr_layer_shell_v1 *layerShell() const { return m_layerShell; }
    // Ordinary windows, for the loupe where there is no layer shell (GNOME).
    xdg_wm_base *windowManager() const { return m_windowManager; }
    zwlr_screencopy_manager_v1 *screencopy() const { return m_screencopy; }
    zwlr_data_control_manager_v1 *dataControl() const { return m_dataControl; }
    zwp_virtual_keyboard_manager_v1 *virtualKeyboard() const { return m_virtualKeyboard; }

    // Outputs whose description is complete, in the order the compositor announced them.
    QList<const WaylandOutput *> outputs() const;
    const WaylandOutput *outputAt(const QPointF &global) const;
    const WaylandOutput *outputNamed(quint32 globalName) const;

    // Sends what is queued; requests otherwise leave when the event loop next waits.
    void flush();
    // Waits until the compositor has handled everything sent so far; false once the connection
    // has failed.
    bool roundtrip();
    bool hasFailed() const;

Q_SIGNALS:
    void outputsChanged();
    // The connection closes: objects made on it are destroyed now or never.
    void disconnecting();
    void seatCapabilitiesChanged(quint32 capabilities);

private:
    explicit WaylandConnection(wl_display *display);
    void dispatch();
    void addGlobal(quint32 name, const char *interface, quint32 version);
    void removeGlobal(quint32 name);
    void describe(WaylandOutput &output);
    void outputDone(WaylandOutput &output);

    wl_display *m_display = nullptr;
    wl_registry *m_registry = nullptr;
    wl_compositor *m_compositor = nullptr;
    wl_subcompositor *m_subcompositor = nullptr;
    wl_shm *m_shm = nullptr;
    wl_seat *m_seat = nullptr;
    quint32 m_seatCapabilities = 0;
    wp_viewporter *m_viewporter = nullptr;
    zxdg_output_manager_v1 *m_xdgOutputs = nullptr;
    zwlr_layer_shell_v1 *m_layerShell = nullptr;
    xdg_wm_base *m_windowManager = nullptr;
    zwlr_screencopy_manager_v1 *m_screencopy = nullptr;
    zwlr_data_control_manager_v1 *m_dataControl = nullptr;
    zwp_virtual_keyboard_manager_v1 *m_virtualKeyboard = nullptr;
    std::vector<std::unique_ptr<WaylandOutput>> m_outputs;
    QSocketNotifier *m_notifier = nullptr;
    bool m_reportedFailure = false;

    friend struct WaylandConnectionListeners;
};
