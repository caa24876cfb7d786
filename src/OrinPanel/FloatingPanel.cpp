#include "OrinPanel/FloatingPanel.h"

#include "OrinTheme/WindowEffects.h"

#include <QEvent>
#include <QKeyEvent>
#include <QSizeGrip>
#include <QWindow>

FloatingPanel::FloatingPanel(const QSize &size, bool resizable)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_resizable(resizable) {
    // Hiding only orders the panel out; its owner decides when it goes away.
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(size);
    if (!resizable)
        setFixedSize(size);
}

FloatingPanel::~FloatingPanel() {
    if (m_filteredWindow)
        m_filteredWindow->removeEventFilter(this);
}

void FloatingPanel::setContentView(QWidget *view, const QSize &size, bool drawsOwnShadow,
                                   int shadowMargin) {
    m_drawsOwnShadow = drawsOwnShadow;
    m_shadowMargin = drawsOwnShadow ? shadowMargin : 0;
    // Translucency is chosen when the native window is made, so it is set before any show.
    setAttribute(Qt::WA_TranslucentBackground, drawsOwnShadow);
    setAttribute(Qt::WA_NoSystemBackground, drawsOwnShadow);
    if (m_resizable) {
        resize(size);
    } else {
        setFixedSize(size);
    }
    m_content = view;
    if (view) {
        view->setParent(this);
        view->setGeometry(rect());
        view->show();
    }
    if (m_resizable) {
        m_sizeGrip = new QSizeGrip(this);
        m_sizeGrip->resize(m_sizeGrip->sizeHint());
        placeSizeGrip();
        m_sizeGrip->raise();
    }
}

void FloatingPanel::applyWindowHints() {
    if (!m_hinted) {
        m_hinted = true;
        WindowEffects::setOnAllDesktops(this);
        WindowEffects::setSkipTaskbar(this);
        WindowEffects::setDrawsOwnShadow(this, m_shadowMargin);
    }
    if (m_drawsOwnShadow)
        WindowEffects::setInputRegion(this,
                                      QRegion(rect().adjusted(m_shadowMargin, m_shadowMargin,
                                                              -m_shadowMargin, -m_shadowMargin)));
}

void FloatingPanel::placeSizeGrip() {
    if (!m_sizeGrip)
        return;
    const QRect surface =
        rect().adjusted(m_shadowMargin, m_shadowMargin, -m_shadowMargin, -m_shadowMargin);
    m_sizeGrip->move(surface.bottomRight() - QPoint(m_sizeGrip->width(), m_sizeGrip->height()) +
                     QPoint(1, 1));
}

bool FloatingPanel::eventFilter(QObject *watched, QEvent *event) {
    // The window sees a key before the focused view does.
    if (watched == m_filteredWindow && event->type() == QEvent::KeyPress && m_keyHandler) {
        if (m_keyHandler(static_cast<QKeyEvent *>(event)))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void FloatingPanel::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible() &&
        m_onResignKey)
        m_onResignKey();
}

void FloatingPanel::showEvent(QShowEvent *event) {
    // The native window exists now and is not mapped yet.
    if (QWindow *handle = windowHandle(); handle && handle != m_filteredWindow) {
        if (m_filteredWindow)
            m_filteredWindow->removeEventFilter(this);
        m_filteredWindow = handle;
        handle->installEventFilter(this);
    }
    applyWindowHints();
    QWidget::showEvent(event);
}

void FloatingPanel::moveEvent(QMoveEvent *event) {
    QWidget::moveEvent(event);
    if (isVisible())
        Q_EMIT frameChanged();
}

void FloatingPanel::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (m_content)
        m_content->setGeometry(rect());
    placeSizeGrip();
    if (isVisible()) {
        applyWindowHints();
        Q_EMIT frameChanged();
    }
}
