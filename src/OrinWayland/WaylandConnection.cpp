#include "OrinWayland/WaylandConnection.h"
#include "OrinWayland/WaylandLogging.h"

#include "OrinWayland/viewporter-client.h"
#include "OrinWayland/virtual-keyboard-unstable-v1-client.h"
#include "OrinWayland/wlr-data-control-unstable-v1-client.h"
#include "OrinWayland/wlr-layer-shell-unstable-v1-client.h"
#include "OrinWayland/wlr-screencopy-unstable-v1-client.h"
#include "OrinWayland/xdg-output-unstable-v1-client.h"
#include "OrinWayland/xdg-shell-client.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <wayland-client.h>

#include <algorithm>
#include <cstring>

namespace {

template <typename T>
T *bind(wl_registry *registry, quint32 name, const wl_interface &interface, quint32 offered,
        quint32 wanted) {
    return static_cast<T *>(
        wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}

WaylandOutput &out(void *data) {
    return *static_cast<WaylandOutput *>(data);
}

const zxdg_output_v1_listener xdgOutputListener = {
    [](void *data, zxdg_output_v1 *, int32_t x, int32_t y) { out(data).logical.moveTo(x, y); },
    [](void *data, zxdg_output_v1 *, int32_t width, int32_t height) {
        out(data).logical.setSize(QSize(width, height));
    },
    [](void *, zxdg_output_v1 *) {},
    [](void *data, zxdg_output_v1 *, const char *name) {
        out(data).name = QString::fromUtf8(name);
    },
    [](void *, zxdg_output_v1 *, const char *) {},
};

} // namespace

struct WaylandConnectionListeners {
    static constexpr wl_registry_listener registry = {
        [](void *data, wl_registry *, quint32 name, const char *interface, quint32 version) {
            static_cast<WaylandConnection *>(data)->addGlobal(name, interface, version);
        },
        [](void *data, wl_registry *, quint32 name) {
            static_cast<WaylandConnection *>(data)->removeGlobal(name);
        },
    };
};

namespace {

WaylandConnection *g_connection = nullptr;

const wl_output_listener outputListener = {
    [](void *data, wl_output *, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char *,
       const char *, int32_t transform) {
        WaylandOutput &o = out(data);
        // The layout position of compositors without xdg-output.
        if (!o.xdgOutput)
            o.logical.moveTo(x, y);
        o.transform = transform;
    },
    [](void *data, wl_output *, uint32_t flags, int32_t width, int32_t height, int32_t) {
        if (flags & WL_OUTPUT_MODE_CURRENT)
            out(data).mode = QSize(width, height);
    },
    [](void *data, wl_output *) {
        WaylandOutput &o = out(data);
        if (!o.xdgOutput && o.scale > 0)
            o.logical.setSize(o.deviceSize() / o.scale);
        o.ready = true;
        if (g_connection)
            Q_EMIT g_connection->outputsChanged();
    },
    [](void *data, wl_output *, int32_t factor) { out(data).scale = std::max(1, factor); },
#ifdef WL_OUTPUT_NAME_SINCE_VERSION
    [](void *, wl_output *, const char *) {},
    [](void *, wl_output *, const char *) {},
#endif
};

} // namespace

WaylandConnection *WaylandConnection::instance() {
    static bool tried = false;
    if (!tried) {
        tried = true;
        if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
            !qEnvironmentVariableIsEmpty("WAYLAND_SOCKET")) {
            if (wl_display *display = wl_display_connect(nullptr))
                g_connection = new WaylandConnection(display);
            else
                qCWarning(lcOrinWayland, "Chromet: cannot connect to the Wayland compositor");
        }
    }
    return g_connection;
}

WaylandConnection::WaylandConnection(wl_display *display)
    : m_display(display) {
    // Gone with the application, before Qt's own connection and event loop.
    if (QCoreApplication *app = QCoreApplication::instance()) {
        setParent(app);
        connect(app, &QCoreApplication::aboutToQuit, this, &QObject::deleteLater);
    }
    m_registry = wl_display_get_registry(display);
    wl_registry_add_listener(m_registry, &WaylandConnectionListeners::registry, this);
    wl_display_roundtrip(display);
    // Outputs announced before the xdg-output manager get their descriptions now.
    for (const auto &output : m_outputs)
        describe(*output);
    wl_display_roundtrip(display);

    m_notifier = new QSocketNotifier(wl_display_get_fd(display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WaylandConnection::dispatch);
    if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &WaylandConnection::flush);
}

WaylandConnection::~WaylandConnection() {
    Q_EMIT disconnecting();
    g_connection = nullptr;
    for (const auto &output : m_outputs) {
        if (output->xdgOutput)
            zxdg_output_v1_destroy(output->xdgOutput);
        wl_output_destroy(output->output);
    }
    // What libwayland would not free on its own.
    const auto destroy = [](auto *proxy) {
        if (proxy)
            wl_proxy_destroy(reinterpret_cast<wl_proxy *>(proxy));
    };
    destroy(m_compositor);
    destroy(m_subcompositor);
    destroy(m_shm);
    destroy(m_seat);
    destroy(m_viewporter);
    destroy(m_xdgOutputs);
    destroy(m_layerShell);
    if (m_windowManager)
        xdg_wm_base_destroy(m_windowManager);
    destroy(m_screencopy);
    destroy(m_dataControl);
    destroy(m_virtualKeyboard);
    destroy(m_registry);
    wl_display_disconnect(m_display);
}

void WaylandConnection::addGlobal(quint32 name, const char *interface, quint32 version) {
    const auto is = [interface](const wl_interface &i) {
        return std::strcmp(interface, i.name) == 0;
    };
    if (is(wl_compositor_interface))
        m_compositor = bind<wl_compositor>(m_registry, name, wl_compositor_interface, version, 4);
    else if (is(wl_subcompositor_interface))
        m_subcompositor =
            bind<wl_subcompositor>(m_registry, name, wl_subcompositor_interface, version, 1);
    else if (is(wl_shm_interface))
        m_shm = bind<wl_shm>(m_registry, name, wl_shm_interface, version, 1);
    else if (is(wl_seat_interface) && !m_seat) {
        m_seat = bind<wl_seat>(m_registry, name, wl_seat_interface, version, 5);
        static const wl_seat_listener seatListener = {
            [](void *data, wl_seat *, uint32_t capabilities) {
                auto *self = static_cast<WaylandConnection *>(data);
                self->m_seatCapabilities = capabilities;
                Q_EMIT self->seatCapabilitiesChanged(capabilities);
            },
            [](void *, wl_seat *, const char *) {},
        };
        wl_seat_add_listener(m_seat, &seatListener, this);
    } else if (is(wp_viewporter_interface))
        m_viewporter = bind<wp_viewporter>(m_registry, name, wp_viewporter_interface, version, 1);
    else if (is(zxdg_output_manager_v1_interface))
        m_xdgOutputs = bind<zxdg_output_manager_v1>(m_registry, name,
                                                    zxdg_output_manager_v1_interface, version, 3);
    else if (is(zwlr_layer_shell_v1_interface))
        m_layerShell =
            bind<zwlr_layer_shell_v1>(m_registry, name, zwlr_layer_shell_v1_interface, version, 4);
    else if (is(xdg_wm_base_interface)) {
        m_windowManager = bind<xdg_wm_base>(m_registry, name, xdg_wm_base_interface, version, 1);
        // A client that stops answering is taken for hung.
        static const xdg_wm_base_listener pong = {
            [](void *, xdg_wm_base *base, uint32_t serial) { xdg_wm_base_pong(base, serial); },
        };
        xdg_wm_base_add_listener(m_windowManager, &pong, this);
    } else if (is(zwlr_screencopy_manager_v1_interface))
        m_screencopy = bind<zwlr_screencopy_manager_v1>(
            m_registry, name, zwlr_screencopy_manager_v1_interface, version, 3);
    else if (is(zwlr_data_control_manager_v1_interface))
        m_dataControl = bind<zwlr_data_control_manager_v1>(
            m_registry, name, zwlr_data_control_manager_v1_interface, version, 1);
    else if (is(zwp_virtual_keyboard_manager_v1_interface))
        m_virtualKeyboard = bind<zwp_virtual_keyboard_manager_v1>(
            m_registry, name, zwp_virtual_keyboard_manager_v1_interface, version, 1);
    else if (is(wl_output_interface)) {
        auto output = std::make_unique<WaylandOutput>();
        output->globalName = name;
        output->output = bind<wl_output>(m_registry, name, wl_output_interface, version, 3);
        wl_output_add_listener(output->output, &outputListener, output.get());
        describe(*output);
        m_outputs.push_back(std::move(output));
    }
}

void WaylandConnection::removeGlobal(quint32 name) {
    const auto it = std::find_if(m_outputs.begin(), m_outputs.end(),
                                 [name](const auto &o) { return o->globalName == name; });
    if (it == m_outputs.end())
        return;
    if ((*it)->xdgOutput)
        zxdg_output_v1_destroy((*it)->xdgOutput);
    wl_output_destroy((*it)->output);
    m_outputs.erase(it);
    Q_EMIT outputsChanged();
}

void WaylandConnection::describe(WaylandOutput &output) {
    if (!m_xdgOutputs || output.xdgOutput)
        return;
    output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(m_xdgOutputs, output.output);
    zxdg_output_v1_add_listener(output.xdgOutput, &xdgOutputListener, &output);
}

QList<const WaylandOutput *> WaylandConnection::outputs() const {
    QList<const WaylandOutput *> ready;
    for (const auto &output : m_outputs) {
        if (output->ready && !output->logical.isEmpty() && !output->mode.isEmpty())
            ready.append(output.get());
    }
    return ready;
}

const WaylandOutput *WaylandConnection::outputAt(const QPointF &global) const {
    const QList<const WaylandOutput *> all = outputs();
    for (const WaylandOutput *output : all) {
        const QRectF r(output->logical);
        if (global.x() >= r.left() && global.x() < r.right() && global.y() >= r.top() &&
            global.y() < r.bottom())
            return output;
    }
    return nullptr;
}

const WaylandOutput *WaylandConnection::outputNamed(quint32 globalName) const {
    for (const auto &output : m_outputs) {
        if (output->globalName == globalName)
            return output.get();
    }
    return nullptr;
}

void WaylandConnection::dispatch() {
    // Reading and dispatching as libwayland asks of a client with its own event loop.
    while (wl_display_prepare_read(m_display) != 0)
        wl_display_dispatch_pending(m_display);
    if (wl_display_read_events(m_display) == 0)
        wl_display_dispatch_pending(m_display);
    if (hasFailed()) {
        m_notifier->setEnabled(false);
        if (!m_reportedFailure) {
            m_reportedFailure = true;
            qCWarning(lcOrinWayland, "Chromet: the Wayland connection failed (error %d)",
                      wl_display_get_error(m_display));
        }
    }
}

void WaylandConnection::flush() {
    wl_display_dispatch_pending(m_display);
    wl_display_flush(m_display);
}

bool WaylandConnection::roundtrip() {
    return wl_display_roundtrip(m_display) >= 0 && !hasFailed();
}

bool WaylandConnection::hasFailed() const {
    return wl_display_get_error(m_display) != 0;
}
