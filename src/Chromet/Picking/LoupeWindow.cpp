#include "Chromet/Picking/LoupeWindow.h"

#include "Chromet/Picking/LoupeView.h"
#include "Chromet/Picking/ScreenSnapshot.h"

#include <QBackingStore>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace {

constexpr Qt::WindowFlags loupeFlags =
    Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint;

QScreen *screenFor(const QRectF &frame) {
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        if (QRectF(screen->geometry()) == frame)
            return screen;
    }
    for (QScreen *screen : screens) {
        if (frameContains(QRectF(screen->geometry()), frame.center()))
            return screen;
    }
    return nullptr;
}

} // namespace

LoupeWindow::LoupeWindow(QWidget *parent)
    : QWidget(parent, loupeFlags) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::BlankCursor);
    setWindowTitle(QStringLiteral("Loupe"));
}

LoupeWindow::~LoupeWindow() = default;

LoupeView *LoupeWindow::view() const {
    return m_view;
}

void LoupeWindow::place(const QRectF &frame) {
    m_frame = frame;
    // The screen first, so that the geometry is scaled by that screen's factor.
    if (QScreen *screen = screenFor(frame)) {
        if (windowHandle() && windowHandle()->screen() != screen)
            windowHandle()->setScreen(screen);
    }
    const QRect geometry = frame.toAlignedRect();
    if (this->geometry() != geometry)
        setGeometry(geometry);
}

void LoupeWindow::prepare(const QRectF &frame) {
    winId(); // the native window, made now rather than on the first show
    place(frame);
    // The backing store's buffer is allocated and touched once here; a pick then paints into
    // memory that is already mapped.
    if (QBackingStore *store = backingStore()) {
        if (store->size() != size())
            store->resize(size());
        const QRegion all(rect());
        store->beginPaint(all);
        if (QPaintDevice *device = store->paintDevice()) {
            QPainter painter(device);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(rect(), Qt::black);
        }
        store->endPaint();
    }
}

void LoupeWindow::present(LoupeView *view, const QRectF &frame) {
    if (m_view != view) {
        delete m_view;
        m_view = view;
    }
    place(frame);
    if (view) {
        view->setParent(this);
        view->setGeometry(rect());
        view->show();
    }
    setIgnoresMouse(false);
    m_awaitingExpose = true;
    if (!m_watchingHandle) {
        winId();
        windowHandle()->installEventFilter(this);
        m_watchingHandle = true;
    }
    // Restacked before it is mapped: a window kept from an earlier pick would otherwise appear
    // where it was in the stacking order, under windows opened since.
    raise();
    show();
}

bool LoupeWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Expose && m_awaitingExpose && watched == windowHandle() &&
        windowHandle()->isExposed()) {
        m_awaitingExpose = false;
        // The expose is handled (painted and flushed) after this filter returns.
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT exposed(); }, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void LoupeWindow::orderOut() {
    m_awaitingExpose = false;
    hide();
    delete m_view;
}

void LoupeWindow::setIgnoresMouse(bool ignore) {
    if (ignore == m_ignoresMouse)
        return;
    m_ignoresMouse = ignore;
    if (m_view)
        m_view->setAttribute(Qt::WA_TransparentForMouseEvents, ignore);
    // Through the native window alone: changing the widget's flags would recreate it.
    const Qt::WindowFlags flags = ignore ? (windowFlags() | Qt::WindowTransparentForInput)
                                         : (windowFlags() & ~Qt::WindowTransparentForInput);
    overrideWindowFlags(flags);
    if (QWindow *handle = windowHandle())
        handle->setFlags(flags);
}
