#pragma once

#include <QPointer>
#include <QRectF>
#include <QWidget>

class LoupeView;
class QScreen;
struct ScreenSnapshot;

// One display's loupe window: frameless, above everything, with a blank cursor, covering the
// display's frame and holding that display's LoupeView. Opaque: the view paints the whole snapshot,
// so nothing shows through. Windows are kept between picks; a window that stays the same size keeps
// its backing store.
class LoupeWindow : public QWidget {
    Q_OBJECT

public:
    // `platformFlags`: what the platform adds (LoupeSupport::createWindow()), such as keeping the
    // window out of the window manager's care.
    explicit LoupeWindow(Qt::WindowFlags platformFlags = {}, QWidget *parent = nullptr);
    ~LoupeWindow() override;

    // Prepares the native window and its backing store for a display of this frame, so that the
    // first pick finds them ready.
    virtual void prepare(const QRectF &frame);
    // Takes `view` (the previous one is deleted), places the window on `frame`, shows it and
    // raises it above every other window. Mouse events are taken again.
    virtual void present(LoupeView *view, const QRectF &frame);
    // The view's display captured whole after a partial snapshot: the window shows all of it.
    void replaceSnapshot(const ScreenSnapshot &snapshot);
    // Hides the window and deletes its view.
    virtual void orderOut();
    // Whether the window is on screen, from present() to orderOut().
    virtual bool isPresented() const { return isVisible(); }
    // While hidden: gives the backing store's pixels back (a full display's worth); the native
    // window stays, and the next paint makes the pixels anew.
    virtual void releaseBackingStore();
    virtual bool holdsBackingStore() const;
    // While hidden, after releaseBackingStore(): makes the store anew and writes to its pixels in
    // `area` (window coordinates), so that a first frame drawn there finds them in memory.
    virtual void restoreBackingStore(const QRectF &area);

    LoupeView *view() const;
    // The display frame the window covers (global logical coordinates).
    QRectF frame() const { return m_frame; }

    // Where a newly shown window shows the screen under it until it is drawn (nothing composites
    // the screen): drawLoupeAtOnce() after present() draws and sends the loupe, the one part that
    // differs from the snapshot, without waiting for the window's first expose, which then paints
    // the rest.
    void setPaintsLoupeFirst(bool first) { m_paintsLoupeFirst = first; }
    virtual void drawLoupeAtOnce();

    // While set, clicks and moves pass through to what lies below and the view gets none.
    virtual void setIgnoresMouse(bool ignore);
    bool ignoresMouse() const { return m_ignoresMouse; }

Q_SIGNALS:
    // Once after each present(), when the window is on screen and its first paint has been sent
    // off (emitted from the event loop after the expose that painted it).
    void exposed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Takes `view` (deleting the previous one) and sizes both to `frame`, without showing.
    void adopt(LoupeView *view, const QRectF &frame);
    void place(const QRectF &frame);
    // Over a partial snapshot the window covers only the captured area; the screen shows around
    // it, as it is, until the whole snapshot follows.
    void maskToCapturedArea();

    QRectF m_frame;
    bool m_ignoresMouse = false;

private:
    QPointer<LoupeView> m_view;
    bool m_awaitingExpose = false;
    bool m_watchingHandle = false;
    bool m_paintsLoupeFirst = false;
};
