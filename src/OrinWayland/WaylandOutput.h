#pragma once

#include <QRect>
#include <QSize>
#include <QString>

struct wl_output;
struct zxdg_output_v1;

// One output as the compositor describes it. Logical geometry is the layout's (Qt's global
// coordinates under Qt's Wayland platform); the mode is in device pixels, in the output's own
// orientation before its transform.
struct WaylandOutput {
    wl_output *output = nullptr;
    zxdg_output_v1 *xdgOutput = nullptr;
    quint32 globalName = 0;
    QString name;
    QRect logical;
    QSize mode;
    int scale = 1;     // the integer scale wl_output announces
    int transform = 0; // wl_output_transform
    bool ready = false;

    // The mode as it lies on the layout: width and height swap for quarter turns.
    QSize deviceSize() const { return (transform & 1) ? mode.transposed() : mode; }
    // Device pixels per logical point, fractional where the compositor scales so.
    double deviceScale() const {
        return logical.width() > 0 ? double(deviceSize().width()) / logical.width() : scale;
    }
};
