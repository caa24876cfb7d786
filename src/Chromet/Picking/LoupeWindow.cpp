#include "Chromet/Picking/LoupeWindow.h"

#include "Chromet/Picking/LoupeView.h"
#include "Chromet/Picking/ScreenSnapshot.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QWindow>

namespace {

constexpr Qt::WindowFlags loupeFlags =
    Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;

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

LoupeWindow::LoupeWindow(Qt::WindowFlags platformFlags, QWidget *parent)
    : QWidget(parent, loupeFlags | platformFlags) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::BlankCursor);
    setWindowTitle(QStringLiteral("Loupe"));
    // The same colors active or not: a widget repaints all of itself when the window's
    // activation changes its palette, and here that would be the whole screen once more.
    QPalette colors = palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto r = QPalette::ColorRole(role);
        colors.setBrush(QPalette::Inactive, r, colors.brush(QPalette::Active, r));
    }
    setPalette(colors);
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

void LoupeWindow::adopt(LoupeView *view, const QRectF &frame) {
    if (m_view != view) {
        delete m_view;
        m_view = view;
    }
    place(frame);
    if (view) {
        view->installEventFilter(this);
        view->setParent(this);
        view->setGeometry(rect());
        view->show();
    }
}

void LoupeWindow::maskToCapturedArea() {
    const QRect area = m_view ? m_view->capturedArea() : rect();
    if (area == rect())
        clearMask();
    else
        setMask(area.isEmpty() ? QRect(0, 0, 1, 1) : area);
}

void LoupeWindow::replaceSnapshot(const ScreenSnapshot &snapshot) {
    if (!m_view)
        return;
    m_view->setSnapshot(snapshot);
    maskToCapturedArea();
}

void LoupeWindow::present(LoupeView *view, const QRectF &frame) {
    adopt(view, frame);
    maskToCapturedArea();
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
    // Showing posts the view a deferred update of all of it, which would arrive after the
    // window's first expose has painted everything: a second paint of the whole screen.
    if (m_view)
        QCoreApplication::removePostedEvents(m_view, QEvent::UpdateLater);
}

bool LoupeWindow::eventFilter(QObject *watched, QEvent *event) {
    // A widget repaints itself when it gains or loses the focus (for a focus frame the view does
    // not draw); for the view that is the whole screen.
    if ((event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) &&
        watched == m_view)
        return true;
    if (event->type() == QEvent::Expose && m_awaitingExpose && watched == windowHandle() &&
        windowHandle()->isExposed()) {
        m_awaitingExpose = false;
        // The expose is handled (painted and flushed) after this filter returns.
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT exposed(); }, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void LoupeWindow::drawLoupeAtOnce() {
    if (!m_paintsLoupeFirst || !m_awaitingExpose || !isVisible())
        return;
    QBackingStore *store = backingStore();
    const QRegion inView = m_view ? m_view->loupeRegion() : QRegion();
    const QRegion loupe = inView.translated(m_view ? m_view->pos() : QPoint());
    if (!store || loupe.isEmpty())
        return;
    // A store given back while idle is made anew; only the pages under the loupe are touched.
    // The window has been asked to show, and the server draws in the order it is asked: the
    // loupe appears as the window does.
    if (store->size() != size())
        store->resize(size());
    store->beginPaint(loupe);
    QPaintDevice *device = store->paintDevice();
    if (device)
        m_view->render(device, loupe.boundingRect().topLeft(), inView, QWidget::DrawChildren);
    store->endPaint();
    if (!device)
        return;
    store->flush(loupe);
    // The rest of the store still holds an earlier pick's screen, or nothing: the expose paints
    // all of it.
    m_view->update();
}

void LoupeWindow::orderOut() {
    m_awaitingExpose = false;
    hide();
    delete m_view;
}

void LoupeWindow::releaseBackingStore() {
    // The smallest store, not an empty one, which some platforms cannot make.
    QBackingStore *store = backingStore();
    if (!isVisible() && store && store->size() != QSize(1, 1))
        store->resize(QSize(1, 1));
}

void LoupeWindow::restoreBackingStore(const QRectF &area) {
    QBackingStore *store = backingStore();
    if (isVisible() || !store || holdsBackingStore())
        return;
    store->resize(size());
    const QRegion region(area.toAlignedRect().intersected(rect()));
    if (region.isEmpty())
        return;
    // Nothing of this is shown: the window's first paint draws over all of it.
    store->beginPaint(region);
    if (QPaintDevice *device = store->paintDevice()) {
        QPainter painter(device);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(region.boundingRect(), Qt::transparent);
    }
    store->endPaint();
}

bool LoupeWindow::holdsBackingStore() const {
    const QBackingStore *store = backingStore();
    return store && store->size().width() * store->size().height() > 1;
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
