#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

// The named symbols the interface draws: single-colour line art on a 24-unit grid with one
// stroke weight, shipped as SVG in the module's resources and tinted when drawn. Names follow
// the dotted style "arrow.left.arrow.right"; a ".fill" variant is a solid shape whose inner
// strokes are cut out, so it reads on any background.
class Symbols {
public:
    Symbols() = delete;

    // The grid every symbol is drawn on, in units.
    static constexpr int gridSize = 24;

    // Every available name, sorted.
    static QStringList names();
    static bool exists(const QString &name);
    // The resource path of the symbol's SVG (":/OrinTheme/symbols/<name>.svg"); empty when
    // there is no such symbol.
    static QString resourcePath(const QString &name);

    // An icon that draws the symbol at any size in `tint`. With an invalid tint the icon follows
    // the application palette's window-text colour at the moment it is drawn (so it suits light
    // and dark themes); the disabled mode draws the palette's disabled text colour. A null icon
    // when the symbol does not exist.
    static QIcon icon(const QString &name, const QColor &tint = QColor());

    // The symbol scaled to fit `logical` (keeping its square aspect, centred), drawn for `dpr`
    // device pixels per logical pixel, every covered pixel in `tint` (its alpha included). A null
    // pixmap for an unknown name or an empty size.
    static QPixmap pixmap(const QString &name, const QSize &logical, const QColor &tint,
                          qreal dpr = 1.0);
    // The same in device pixels, as a premultiplied ARGB image.
    static QImage image(const QString &name, const QSize &pixels, const QColor &tint);
};
