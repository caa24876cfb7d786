#pragma once

#include "Chromet/Picking/LoupeWindow.h"

#include <QSize>
#include <QTimer>

#include <memory>

class WaylandConnection;
class WaylandShmBuffer;
class WaylandLoupeSupport;
struct WaylandOutput;
struct wl_subsurface;
struct wl_surface;
struct wp_viewport;
struct xdg_surface;
struct xdg_toplevel;
struct zwlr_layer_surface_v1;

// One output's loupe as an overlay layer surface, or as a fullscreen window where there is no
// layer shell: the output's snapshot as a still background buffer, given once, and the ring and
// pill drawn by the view into a small sub-surface that moves with the point. The widget itself
// never shows; the view renders into shared memory, and the window feeds it the pointer and keys
// its surface receives.
class WaylandLoupeWindow : public LoupeWindow {
    Q_OBJECT

public:
    explicit WaylandLoupeWindow(WaylandLoupeSupport *support);
    // The support is going first.
    void detach() { m_support = nullptr; }
    ~WaylandLoupeWindow() override;

    void prepare(const QRectF &frame) override;
    void present(LoupeView *view, const QRectF &frame) override;
    void orderOut() override;
    bool isPresented() const override { return m_surface != nullptr; }
    void releaseBackingStore() override {}
    bool holdsBackingStore() const override { return false; }
    void restoreBackingStore(const QRectF &) override {}
    void drawLoupeAtOnce() override {}
    void setIgnoresMouse(bool ignore) override;

    wl_surface *surface() const { return m_surface; }
    // Draws the loupe again if anything it shows may have changed.
    void refresh();
    // The surface is gone (its output went away) or could not be made: the pick ends.
    void lose();

private:
    // The surface's role on `output`, committed without a buffer: the compositor answers with
    // its first configure.
    void assignRole(WaylandConnection *connection, const WaylandOutput *output);
    void takeKeyboard(bool take);
    // The window's configure: acknowledged, and the background follows a new size.
    void configureWindow(quint32 serial);
    void sizeBackground();
    void destroyRole();
    void destroySurfaces();
    QRect loupeArea() const;

    WaylandLoupeSupport *m_support;
    wl_surface *m_surface = nullptr;
    zwlr_layer_surface_v1 *m_layer = nullptr;
    xdg_surface *m_xdgSurface = nullptr;
    xdg_toplevel *m_toplevel = nullptr;
    // The background's size in points: the window's configured size, else the output's.
    QSize m_outputSize;
    QSize m_windowSize;
    QSize m_pendingWindowSize;
    wp_viewport *m_viewport = nullptr;
    std::unique_ptr<WaylandShmBuffer> m_background;
    wl_surface *m_loupeSurface = nullptr;
    wl_subsurface *m_loupeSubsurface = nullptr;
    wp_viewport *m_loupeViewport = nullptr;
    std::unique_ptr<WaylandShmBuffer> m_loupeBuffers[2];
    double m_scale = 1;
    int m_align = 1;
    // What the last drawing showed: drawn again when any of it changes.
    QRect m_drawnArea;
    quint64 m_drawnGeneration = 0;
    bool m_wasAnimating = false;
    QTimer m_frames;
};
