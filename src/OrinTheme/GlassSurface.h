#pragma once

#include <QSize>

class CardBackground;
class MaterialView;
class QAbstractButton;
class QWidget;

// The program's floating surfaces. With a compositing manager (WindowEffects) a surface is
// translucent glass and draws its own soft shadow in a transparent margin, so the window must not
// get one from the window manager; without one it is an opaque rounded surface of the same size
// and radius, and the window manager's shadow (if any) stays.
class GlassSurface {
public:
    GlassSurface() = delete;

    // The transparent margin around a wrapped surface that carries its shadow.
    static constexpr int shadowMargin = 28;
    // The rounding of a frameless window made glass by apply().
    static constexpr qreal windowCornerRadius = 16;

    // Asked once per call: whether surfaces made now are glass.
    static bool usesGlass();

    struct Wrapped {
        // The widget to install as the window's content.
        QWidget *view = nullptr;
        // The window's content size.
        QSize size;
        // Whether the window should keep the window manager's shadow.
        bool windowHasShadow = true;
    };

    // For a floating window. Glass: a FloatingShadowContainer of size + 2 x shadowMargin, with
    // the masked surface holding `content` at (shadowMargin, shadowMargin) and resizing with it;
    // no window shadow. Otherwise: the masked surface at `size`, with the window shadow. The
    // window must be translucent exactly when usesGlass() was true.
    static Wrapped wrap(QWidget *content, const QSize &size, qreal cornerRadius);

    // The material holding `content`, both sized `size`; content resizes with the material.
    static MaterialView *surface(QWidget *content, const QSize &size, qreal cornerRadius,
                                 bool masked);

    // Makes a whole window a surface: `content` in a material filling the window, which gets
    // the content size `size`. With glass the window becomes translucent, so call this before
    // the window is first shown. The material is rounded by windowCornerRadius when the window
    // is frameless and square inside a window manager's frame.
    static void apply(QWidget *window, QWidget *content, const QSize &size);

    // Button styles. Prominent: the accent colour filling a capsule of glass, or a solid
    // rounded accent button without a compositor. Plain: a capsule of clear glass, or the
    // platform's bordered push button. The applied style is named in the button's property
    // "orinButtonStyle" ("glassProminent", "borderedProminent", "glass", "bordered").
    static void glassProminentButtonStyle(QAbstractButton *button);
    static void glassButtonStyle(QAbstractButton *button);

    // A subtle card behind grouped content.
    static CardBackground *cardBackground(QWidget *content, qreal cornerRadius);
};
