#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QKeyEvent;
class QSizeGrip;

// A small utility window floating above other applications' windows: frameless, always on top,
// on every virtual desktop, kept out of the taskbar and window switching, and moved by dragging
// its background. It takes the keyboard focus when shown so its owner sees keys first.
class FloatingPanel : public QWidget {
    Q_OBJECT

public:
    // Answers true when it handled the key; the panel then swallows it.
    using KeyHandler = std::function<bool(QKeyEvent *)>;

    // `size`: the window's size. Hidden until shown.
    FloatingPanel(const QSize &size, bool resizable);
    ~FloatingPanel() override;

    bool isResizable() const { return m_resizable; }

    // Offered every key press before the focused view gets it.
    void setKeyHandler(KeyHandler handler) { m_keyHandler = std::move(handler); }
    // Called when the panel stops being the active window while visible.
    void setOnResignKey(std::function<void()> handler) { m_onResignKey = std::move(handler); }

    // Installs `view` filling the panel, which takes `size`. With `drawsOwnShadow` the window is
    // translucent and its outer `shadowMargin` carries the view's own shadow: the compositor
    // adds none and clicks there reach the windows below. Call once, before the first show.
    void setContentView(QWidget *view, const QSize &size, bool drawsOwnShadow, int shadowMargin);
    QWidget *contentView() const { return m_content; }
    // Whether the window manager or compositor is left to give the window a shadow.
    bool hasWindowShadow() const { return !m_drawsOwnShadow; }
    int shadowMargin() const { return m_shadowMargin; }

Q_SIGNALS:
    // The window moved or was resized (not while hidden).
    void frameChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyWindowHints();
    void placeSizeGrip();

    bool m_resizable = false;
    bool m_drawsOwnShadow = false;
    int m_shadowMargin = 0;
    bool m_hinted = false;
    KeyHandler m_keyHandler;
    std::function<void()> m_onResignKey;
    QPointer<QWidget> m_content;
    QPointer<QWindow> m_filteredWindow;
    QSizeGrip *m_sizeGrip = nullptr;
};
