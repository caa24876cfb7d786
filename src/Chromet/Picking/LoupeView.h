#pragma once

#include "Chromet/Color/ColorFormat.h"
#include "Chromet/Color/PickedColor.h"
#include "Chromet/Picking/LoupeAction.h"
#include "Chromet/Picking/PillView.h"
#include "Chromet/Picking/ScreenSnapshot.h"

#include <QRegion>
#include <QWidget>

#include <functional>
#include <memory>

class FrostedBackdrop;
class GlassView;
class LensView;

// Fills one loupe window, one per display, and draws the loupe when it is on this display: a
// glass ring holding the magnified 15 x 15 pixels around the point and, under it, a glass pill
// with the color's swatch and code text. Everything, the screen behind included, is drawn from
// the display's snapshot, so the screen looks frozen while picking. Turns mouse and key events
// into moves and LoupeActions. Coordinates are display-local points (the snapshot's frame size).
class LoupeView : public QWidget {
    Q_OBJECT

public:
    using Label = std::function<QString(const PickedColor &)>;
    using MoveHandler = std::function<void(const QPointF &global)>;
    using ActionHandler = std::function<void(const LoupeAction &)>;

    static constexpr qreal ringSize = 193;
    static constexpr qreal ringRadius = 96.5;
    static constexpr qreal pillRadius = 18;
    // Between the ring and the pill.
    static constexpr qreal pillGap = 10;
    // The pill's tone turns dark above this luminance behind it, and light again below the other.
    static constexpr double darkAbove = 0.62;
    static constexpr double lightBelow = 0.42;
    static constexpr double ringPopScale = 0.82;
    static constexpr double pillPopScale = 0.9;
    static constexpr double pillPopDelay = 0.04;
    static constexpr double ringPopOutScale = 0.92;
    static constexpr double pillPopOutScale = 0.95;
    static constexpr double popOutSeconds = 0.16;

    explicit LoupeView(ScreenSnapshot snapshot, QWidget *parent = nullptr);
    // Labels colors with the format's label text.
    LoupeView(ScreenSnapshot snapshot, ColorFormat format, bool lowercaseHex,
              QWidget *parent = nullptr);
    ~LoupeView() override;

    // "#RRGGBB" of the sRGB channels, the label until another is installed.
    static QString defaultLabel(const PickedColor &color);
    static Label formatLabel(ColorFormat format, bool lowercaseHex);

    const ScreenSnapshot &snapshot() const { return m_snapshot; }
    // The whole display's snapshot after a partial one: drawn again all over; the loupe follows
    // at the next update().
    void setSnapshot(ScreenSnapshot snapshot);
    // The part of the view the snapshot holds screen pixels for (local points, whole points
    // inside the captured pixels): all of it unless the snapshot is partial.
    QRect capturedArea() const;
    void setLabel(Label label);
    // Called with the pointer's global position on every mouse move.
    void setOnMove(MoveHandler onMove) { m_onMove = std::move(onMove); }
    // Called for clicks and mapped keys.
    void setOnAction(ActionHandler onAction) { m_onAction = std::move(onAction); }

    // Moves the loupe to a global point; hides it when the point is on another display.
    using QWidget::update;
    void update(const QPointF &global);
    // After a pick on this display: the label gains " copied" and the pill widens.
    void confirm();
    // When the pick ends: the ring and the pill fade and shrink, if they are showing.
    void popOut();
    // Takes the ring and the pill away at once and paints the screen behind them before
    // returning, so that the window shows nothing but the snapshot.
    void dropLoupe();

    // Whether the ring and pill are showing on this display.
    bool isLoupeVisible() const;
    // Made on the first update(); null until then.
    GlassView *ringGlass() const { return m_ringGlass; }
    GlassView *pillGlass() const { return m_pillGlass; }
    LensView *lens() const { return m_lens; }
    PillView *pill() const { return m_pill; }

    // Where the ring and the pill are (local points), while they show.
    QRegion loupeRegion() const;
    // The area (local points) the last update() or confirm() invalidated: where the ring and the
    // pill were and where they are now.
    QRegion lastDirtyRegion() const { return m_lastDirty; }
    // The area painted since the last call, as the paint events reported it.
    QRegion takePaintedRegion();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void ensureGlass();
    void action(const LoupeAction &action);
    // Where the pill goes for a width, by the ring's frame and the view's bounds.
    QRectF pillFrame(qreal width) const;

    ScreenSnapshot m_snapshot;
    MoveHandler m_onMove;
    ActionHandler m_onAction;
    Label m_label;
    bool m_hasAppeared = false;
    LensView *m_lens = nullptr;
    PillView *m_pill = nullptr;
    GlassView *m_ringGlass = nullptr;
    GlassView *m_pillGlass = nullptr;
    std::unique_ptr<FrostedBackdrop> m_backdrop;
    QRegion m_lastDirty;
    QRegion m_painted;
};
