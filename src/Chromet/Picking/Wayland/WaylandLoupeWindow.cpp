#include "Chromet/Picking/Wayland/WaylandLoupeWindow.h"

#include "Chromet/Logging/Logging.h"
#include "Chromet/Picking/GlassView.h"
#include "Chromet/Picking/LoupeView.h"
#include "Chromet/Picking/Motion.h"
#include "Chromet/Picking/Wayland/WaylandLoupeSupport.h"

#include "OrinWayland/WaylandConnection.h"
#include "OrinWayland/WaylandShmBuffer.h"
#include "OrinWayland/viewporter-client.h"
#include "OrinWayland/wlr-layer-shell-unstable-v1-client.h"
#include "OrinWayland/xdg-shell-client.h"

#include <QGuiApplication>

#include <wayland-client.h>

#include <climits>
#include <cmath>
#include <cstring>

namespace {

// The smallest step in points that is a whole number of device pixels, so that the loupe's
// sub-surface sits on pixel boundaries at fractional scales too.
int pixelAlignment(double scale) {
    for (int step = 1; step <= 8; ++step) {
        const double pixels = step * scale;
        if (std::abs(pixels - std::round(pixels)) < 1e-6)
            return step;
    }
    return 1;
}

int alignDown(int value, int step) {
    return value - ((value % step) + step) % step;
}

void setEmptyInputRegion(wl_compositor *compositor, wl_surface *surface) {
    wl_region *region = wl_compositor_create_region(compositor);
    wl_surface_set_input_region(surface, region);
    wl_region_destroy(region);
}

} // namespace

WaylandLoupeWindow::WaylandLoupeWindow(WaylandLoupeSupport *support)
    : m_support(support) {
    m_frames.setTimerType(Qt::PreciseTimer);
    connect(&m_frames, &QTimer::timeout, this, &WaylandLoupeWindow::refresh);
}

WaylandLoupeWindow::~WaylandLoupeWindow() {
    destroySurfaces();
    if (m_support)
        m_support->forget(this);
}

void WaylandLoupeWindow::prepare(const QRectF &frame) {
    // Surfaces are made per pick; only the size is kept.
    place(frame);
}

void WaylandLoupeWindow::present(LoupeView *view, const QRectF &frame) {
    destroySurfaces();
    adopt(view, frame);
    m_ignoresMouse = false;
    if (!view || !m_support)
        return;
    WaylandConnection *connection = m_support->connection();
    const ScreenSnapshot &snapshot = view->snapshot();
    // By name: snapshots of the screenshot portal number the screens their own way.
    const QList<const WaylandOutput *> outputs = connection->outputs();
    const auto named = std::find_if(outputs.begin(), outputs.end(), [&](const WaylandOutput *o) {
        return o->name == snapshot.screenName;
    });
    const WaylandOutput *output =
        named != outputs.end() ? *named : connection->outputNamed(snapshot.displayID);
    if (!output || snapshot.image.isNull()) {
        qCWarning(lcLoupe, "no output for the display %u", snapshot.displayID);
        // A pick that cannot show takes no input either: it ends rather than hangs.
        m_support->surfaceClosed();
        return;
    }
    m_scale = snapshot.scale();
    m_align = pixelAlignment(m_scale);
    m_outputSize = output->logical.size();
    m_windowSize = m_pendingWindowSize = QSize();

    m_surface = wl_compositor_create_surface(connection->compositor());
    assignRole(connection, output);
    // The first buffer may only follow the compositor's first configure.
    if (!connection->roundtrip())
        lose();
    if (!m_surface)
        return; // closed before it showed

    // The snapshot is the surface's still background, device pixel for device pixel.
    const QImage image = snapshot.image.format() == QImage::Format_RGB32
                             ? snapshot.image
                             : snapshot.image.convertToFormat(QImage::Format_RGB32);
    m_background = WaylandShmBuffer::create(connection->shm(), image.size(), image.width() * 4,
                                            WL_SHM_FORMAT_XRGB8888);
    if (!m_background) {
        qCWarning(lcLoupe, "no shared memory for the loupe's background");
        lose();
        return;
    }
    QImage canvas = m_background->canvas();
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(canvas.scanLine(y), image.constScanLine(y), size_t(image.width()) * 4);
    if (connection->viewporter())
        m_viewport = wp_viewporter_get_viewport(connection->viewporter(), m_surface);
    sizeBackground();
    wl_surface_attach(m_surface, m_background->buffer(), 0, 0);
    wl_surface_damage_buffer(m_surface, 0, 0, INT_MAX, INT_MAX);

    m_loupeSurface = wl_compositor_create_surface(connection->compositor());
    m_loupeSubsurface =
        wl_subcompositor_get_subsurface(connection->subcompositor(), m_loupeSurface, m_surface);
    // Its drawings show as they are committed; its position still goes with the parent's.
    wl_subsurface_set_desync(m_loupeSubsurface);
    // Pointer events all arrive on the background surface, in its coordinates.
    setEmptyInputRegion(connection->compositor(), m_loupeSurface);
    if (connection->viewporter())
        m_loupeViewport = wp_viewporter_get_viewport(connection->viewporter(), m_loupeSurface);
    else
        wl_surface_set_buffer_scale(m_loupeSurface, std::max(1, int(std::lround(m_scale))));

    m_drawnArea = QRect();
    m_drawnGeneration = 0;
    refresh();
    wl_surface_commit(m_surface);
    connection->flush();
    m_frames.start(Motion::frameMilliseconds());
    QMetaObject::invokeMethod(this, &LoupeWindow::exposed, Qt::QueuedConnection);
}

QRect WaylandLoupeWindow::loupeArea() const {
    const QRect bounds = view()->loupeRegion().boundingRect();
    if (bounds.isEmpty())
        return {};
    const int left = alignDown(bounds.left(), m_align);
    const int top = alignDown(bounds.top(), m_align);
    const int right = alignDown(bounds.right() + m_align, m_align);
    const int bottom = alignDown(bounds.bottom() + m_align, m_align);
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(view()->rect());
}

void WaylandLoupeWindow::refresh() {
    LoupeView *loupe = view();
    if (!m_loupeSurface || !loupe || !m_support)
        return;
    const bool animating = (loupe->ringGlass() && Motion::isAnimating(loupe->ringGlass())) ||
                           (loupe->pillGlass() && Motion::isAnimating(loupe->pillGlass()));
    const QRect area = m_support->knowsPointer() ? loupeArea() : QRect();
    const quint64 generation = m_support->inputGeneration();
    // One more drawing after an animation ends, for its last state.
    if (!animating && !m_wasAnimating && area == m_drawnArea && generation == m_drawnGeneration)
        return;

    if (area.isEmpty()) {
        if (!m_drawnArea.isEmpty()) {
            wl_surface_attach(m_loupeSurface, nullptr, 0, 0);
            wl_surface_commit(m_loupeSurface);
        }
    } else {
        const QSize pixels(int(std::lround(area.width() * m_scale)),
                           int(std::lround(area.height() * m_scale)));
        // Drawn into whichever buffer the compositor is not reading.
        std::unique_ptr<WaylandShmBuffer> *slot = nullptr;
        for (auto &buffer : m_loupeBuffers) {
            if (!buffer || !buffer->isBusy()) {
                slot = &buffer;
                break;
            }
        }
        if (!slot)
            return; // both are on screen; the next frame draws
        if (!*slot || (*slot)->image().size() != pixels)
            *slot = WaylandShmBuffer::create(m_support->connection()->shm(), pixels,
                                             pixels.width() * 4, WL_SHM_FORMAT_XRGB8888);
        if (!*slot)
            return;
        QImage canvas = (*slot)->canvas();
        canvas.setDevicePixelRatio(m_scale);
        loupe->render(&canvas, QPoint(), QRegion(area));
        wl_surface_attach(m_loupeSurface, (*slot)->buffer(), 0, 0);
        (*slot)->setBusy();
        wl_surface_damage_buffer(m_loupeSurface, 0, 0, INT_MAX, INT_MAX);
        if (m_loupeViewport)
            wp_viewport_set_destination(m_loupeViewport, area.width(), area.height());
        wl_subsurface_set_position(m_loupeSubsurface, area.x(), area.y());
        wl_surface_commit(m_loupeSurface);
        wl_surface_commit(m_surface);
    }
    m_wasAnimating = animating;
    m_drawnArea = area;
    m_drawnGeneration = generation;
    m_support->connection()->flush();
}

void WaylandLoupeWindow::assignRole(WaylandConnection *connection, const WaylandOutput *output) {
    if (WaylandLoupeSupport::usesWindows(connection)) {
        static const xdg_surface_listener surfaceListener = {
            .configure =
                [](void *data, xdg_surface *, uint32_t serial) {
                    static_cast<WaylandLoupeWindow *>(data)->configureWindow(serial);
                },
        };
        static const xdg_toplevel_listener toplevelListener = {
            .configure =
                [](void *data, xdg_toplevel *, int32_t width, int32_t height, wl_array *) {
                    static_cast<WaylandLoupeWindow *>(data)->m_pendingWindowSize =
                        QSize(width, height);
                },
            .close = [](void *data,
                        xdg_toplevel *) { static_cast<WaylandLoupeWindow *>(data)->lose(); },
#ifdef XDG_TOPLEVEL_CONFIGURE_BOUNDS_SINCE_VERSION
            .configure_bounds = [](void *, xdg_toplevel *, int32_t, int32_t) {},
#endif
#ifdef XDG_TOPLEVEL_WM_CAPABILITIES_SINCE_VERSION
            .wm_capabilities = [](void *, xdg_toplevel *, wl_array *) {},
#endif
        };
        m_xdgSurface = xdg_wm_base_get_xdg_surface(connection->windowManager(), m_surface);
        xdg_surface_add_listener(m_xdgSurface, &surfaceListener, this);
        m_toplevel = xdg_surface_get_toplevel(m_xdgSurface);
        xdg_toplevel_add_listener(m_toplevel, &toplevelListener, this);
        xdg_toplevel_set_title(m_toplevel,
                               qUtf8Printable(QGuiApplication::applicationDisplayName()));
        if (const QString id = QGuiApplication::desktopFileName(); !id.isEmpty())
            xdg_toplevel_set_app_id(m_toplevel, qUtf8Printable(id));
        // Before the first commit: the window maps fullscreen on that output, with no frame.
        xdg_toplevel_set_fullscreen(m_toplevel, output->output);
    } else {
        static const zwlr_layer_surface_v1_listener listener = {
            [](void *, zwlr_layer_surface_v1 *layer, uint32_t serial, uint32_t, uint32_t) {
                zwlr_layer_surface_v1_ack_configure(layer, serial);
            },
            [](void *data, zwlr_layer_surface_v1 *) {
                static_cast<WaylandLoupeWindow *>(data)->lose();
            },
        };
        m_layer = zwlr_layer_shell_v1_get_layer_surface(connection->layerShell(), m_surface,
                                                        output->output,
                                                        ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "loupe");
        zwlr_layer_surface_v1_add_listener(m_layer, &listener, this);
        zwlr_layer_surface_v1_set_anchor(
            m_layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                         ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        // Over panels too, rather than beside them.
        zwlr_layer_surface_v1_set_exclusive_zone(m_layer, -1);
        takeKeyboard(true);
    }
    wl_surface_commit(m_surface);
}

void WaylandLoupeWindow::takeKeyboard(bool take) {
    // A window gets the keyboard as any other window does, by being focused: nothing to ask.
    if (m_layer)
        zwlr_layer_surface_v1_set_keyboard_interactivity(
            m_layer, take ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                          : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
}

void WaylandLoupeWindow::configureWindow(quint32 serial) {
    xdg_surface_ack_configure(m_xdgSurface, serial);
    const bool resized = m_pendingWindowSize != m_windowSize;
    m_windowSize = m_pendingWindowSize;
    // The first configure comes before the background; the acknowledgement of a later one
    // takes effect with the next commit.
    if (!m_background)
        return;
    if (resized)
        sizeBackground();
    wl_surface_commit(m_surface);
}

void WaylandLoupeWindow::sizeBackground() {
    // A window sized 0x0 is left to choose: it covers its output.
    const QSize size = m_windowSize.isEmpty() ? m_outputSize : m_windowSize;
    if (m_viewport)
        wp_viewport_set_destination(m_viewport, size.width(), size.height());
    else
        wl_surface_set_buffer_scale(m_surface, std::max(1, int(std::lround(m_scale))));
}

void WaylandLoupeWindow::setIgnoresMouse(bool ignore) {
    m_ignoresMouse = ignore;
    if (!m_surface || !m_support)
        return;
    WaylandConnection *connection = m_support->connection();
    // Passing through: no input region and no keyboard; back to the whole surface otherwise.
    if (ignore)
        setEmptyInputRegion(connection->compositor(), m_surface);
    else
        wl_surface_set_input_region(m_surface, nullptr);
    takeKeyboard(!ignore);
    wl_surface_commit(m_surface);
    connection->flush();
}

void WaylandLoupeWindow::orderOut() {
    destroySurfaces();
    delete view();
}

void WaylandLoupeWindow::lose() {
    destroySurfaces();
    if (m_support)
        m_support->surfaceClosed();
}

void WaylandLoupeWindow::destroyRole() {
    if (m_toplevel)
        xdg_toplevel_destroy(std::exchange(m_toplevel, nullptr));
    if (m_xdgSurface)
        xdg_surface_destroy(std::exchange(m_xdgSurface, nullptr));
    if (m_layer)
        zwlr_layer_surface_v1_destroy(std::exchange(m_layer, nullptr));
}

void WaylandLoupeWindow::destroySurfaces() {
    m_frames.stop();
    if (m_loupeViewport)
        wp_viewport_destroy(std::exchange(m_loupeViewport, nullptr));
    if (m_loupeSubsurface)
        wl_subsurface_destroy(std::exchange(m_loupeSubsurface, nullptr));
    if (m_loupeSurface)
        wl_surface_destroy(std::exchange(m_loupeSurface, nullptr));
    if (m_viewport)
        wp_viewport_destroy(std::exchange(m_viewport, nullptr));
    destroyRole();
    if (m_surface)
        wl_surface_destroy(std::exchange(m_surface, nullptr));
    for (auto &buffer : m_loupeBuffers)
        buffer.reset();
    m_background.reset();
    if (m_support)
        m_support->connection()->flush();
}
