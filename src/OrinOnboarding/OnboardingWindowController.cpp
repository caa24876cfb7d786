#include "OrinOnboarding/OnboardingWindowController.h"

#include "OrinOnboarding/OnboardingView.h"
#include "OrinTheme/GlassSurface.h"
#include "OrinTheme/MaterialView.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include <utility>

OnboardingWindowController::OnboardingWindowController(QString title, QSize size,
                                                       std::function<void()> onFinish,
                                                       QObject *parent)
    : QObject(parent)
    , m_title(std::move(title))
    , m_size(size)
    , m_onFinish(std::move(onFinish)) {
}

OnboardingWindowController::~OnboardingWindowController() {
    // A controller dropped while its window is open takes the window with it, unfinished.
    if (m_window) {
        m_window->removeEventFilter(this);
        delete m_window;
    }
}

void OnboardingWindowController::show(const QList<OnboardingStep> &steps, int startIndex,
                                      const QString &finishTitle) {
    const bool newWindow = !m_window;
    if (newWindow)
        makeWindow();
    delete m_view;
    QPointer<OnboardingWindowController> self(this);
    m_view = new OnboardingView(steps, startIndex, finishTitle, [self] {
        if (self && self->m_window)
            self->m_window->close();
    });
    m_view->resize(m_size);
    if (newWindow) {
        // The pages sit on the window's glass, which fills the window.
        GlassSurface::apply(m_window, m_view, m_size);
        m_window->setFixedSize(m_size);
    } else if (auto *material = m_window->findChild<MaterialView *>()) {
        material->setContent(m_view);
    }
    m_window->setFocusProxy(m_view->mainButton());

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), m_size);
        frame.moveCenter(screen->availableGeometry().center());
        m_window->move(frame.topLeft());
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    m_view->mainButton()->setFocus();
}

void OnboardingWindowController::makeWindow() {
    m_window = new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowCloseButtonHint);
    m_window->setObjectName(QStringLiteral("onboardingWindow"));
    m_window->setWindowTitle(m_title);
    m_window->installEventFilter(this);
}

bool OnboardingWindowController::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_window && event->type() == QEvent::Close && !m_finished) {
        // This controller may be gone after this call: touch nothing of it afterwards.
        windowClosing();
        return false;
    }
    return QObject::eventFilter(watched, event);
}

void OnboardingWindowController::windowClosing() {
    m_finished = true;
    // The window is closing now; it goes away once its close has been handled.
    m_window->removeEventFilter(this);
    m_window->deleteLater();
    m_window = nullptr;
    m_view = nullptr;
    // Last: the finish handler may delete this controller.
    const std::function<void()> onFinish = m_onFinish;
    if (onFinish)
        onFinish();
}
