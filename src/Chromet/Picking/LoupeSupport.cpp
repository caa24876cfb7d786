#include "Chromet/Picking/LoupeSupport.h"

#include "Chromet/Picking/ScreenSnapshot.h"
#include "Chromet/Picking/X11LoupeSupport.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

// Where Qt is all there is (offscreen, Wayland): Qt's cursor and widget grabs, and the
// application turning inactive as the sign that the user went elsewhere.
class QtLoupeSupport : public LoupeSupport {
public:
    ~QtLoupeSupport() override { endPick(); }

    QPointF pointerPosition() override { return QCursor::pos(); }

    void warpPointer(const QPointF &global) override {
        const QList<QScreen *> screens = QGuiApplication::screens();
        for (QScreen *screen : screens) {
            if (frameContains(QRectF(screen->geometry()), global)) {
                QCursor::setPos(screen, global.toPoint());
                return;
            }
        }
        QCursor::setPos(global.toPoint());
    }

    FocusWindow focusedWindow() override {
        if (QWindow *window = QGuiApplication::focusWindow())
            return quint32(window->winId());
        return std::nullopt;
    }

    void restoreFocus(FocusWindow previous) override {
        if (!previous)
            return;
        const QList<QWindow *> windows = QGuiApplication::allWindows();
        for (QWindow *window : windows) {
            if (quint32(window->winId()) == *previous && window->isVisible()) {
                window->requestActivate();
                return;
            }
        }
    }

    void beginPick(std::function<void()> lost) override {
        endPick();
        m_watch =
            QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged, qGuiApp,
                             [lost = std::move(lost)](Qt::ApplicationState state) {
                                 if (state != Qt::ApplicationActive)
                                     QMetaObject::invokeMethod(qGuiApp, lost, Qt::QueuedConnection);
                             });
    }

    void takeInput(QWidget *view) override {
        m_view = view;
        view->activateWindow();
        view->setFocus(Qt::OtherFocusReason);
        view->grabKeyboard();
        view->grabMouse();
    }

    void focusWindow(QWidget *window) override { window->activateWindow(); }

    void endPick() override {
        QObject::disconnect(m_watch);
        if (m_view) {
            m_view->releaseKeyboard();
            m_view->releaseMouse();
        }
        m_view = nullptr;
    }

private:
    QMetaObject::Connection m_watch;
    QPointer<QWidget> m_view;
};

} // namespace

std::unique_ptr<LoupeSupport> makeSystemLoupeSupport() {
    if (X11LoupeSupport::isAvailable())
        return std::make_unique<X11LoupeSupport>();
    return std::make_unique<QtLoupeSupport>();
}
