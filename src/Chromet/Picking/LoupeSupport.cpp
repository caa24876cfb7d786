#include "Chromet/Picking/LoupeSupport.h"

#include "OrinPlatform/PlatformBackend.h"

#include "Chromet/Picking/LoupeWindow.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#ifndef ORIN_NO_X11
#include "Chromet/Picking/X11/X11LoupeSupport.h"
#endif
#ifndef ORIN_NO_WAYLAND
#include "Chromet/Picking/Wayland/WaylandLoupeSupport.h"
#include "OrinWayland/WaylandConnection.h"
#endif

namespace {

// Where no backend serves the desktop (offscreen runs): Qt's cursor and widget grabs, and the
// application turning inactive as the sign that the user went elsewhere.
class NullLoupeSupport : public LoupeSupport {
public:
    ~NullLoupeSupport() override { endPick(); }

    LoupeWindow *createWindow() override { return new LoupeWindow; }

    // No desktop pointer to read or move: the loupe follows its windows' events.
    std::optional<QPointF> pointerPosition() override { return std::nullopt; }
    bool canWarpPointer() const override { return false; }
    void warpPointer(const QPointF &) override {}

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
#ifndef ORIN_NO_X11
    if (PlatformBackend::kind() == PlatformBackend::Kind::X11) {
        if (X11LoupeSupport::isAvailable())
            return std::make_unique<X11LoupeSupport>();
    }
#endif
#ifndef ORIN_NO_WAYLAND
    if (PlatformBackend::kind() == PlatformBackend::Kind::Wayland) {
        if (WaylandConnection *connection = WaylandConnection::instance();
            WaylandLoupeSupport::isAvailable(connection))
            return std::make_unique<WaylandLoupeSupport>(connection);
    }
#endif
    return std::make_unique<NullLoupeSupport>();
}
