#include "Chromet/Picking/LoupeController.h"

#include "Chromet/Logging/Logging.h"
#include "Chromet/Picking/GlassView.h"
#include "Chromet/Picking/LoupeView.h"
#include "Chromet/Picking/LoupeWindow.h"
#include "Chromet/Picking/Motion.h"
#include "Chromet/Picking/ReduceMotion.h"

#include <QCursor>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cstring>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Reads one byte of every memory page of the images, so that they are mapped into this process.
// The reads are volatile: nothing uses their values.
void touchPages(const QList<QImage> &images) {
    for (const QImage &image : images) {
        const volatile uchar *bits = image.constBits();
        for (qsizetype i = 0; i < image.sizeInBytes(); i += 4096)
            (void)bits[i];
    }
}

// The whole display: `whole`, with the pixels `partial` captured copied in (`whole` shows the
// loupe window there). A display whose size changed in between keeps `whole` as it is.
ScreenSnapshot completed(const ScreenSnapshot &partial, ScreenSnapshot whole) {
    const QRect area = partial.capturedPixels();
    if (whole.image.size() != partial.pixelSize() ||
        whole.image.format() != partial.image.format() || area.isEmpty())
        return whole;
    const QPoint from = area.topLeft() - partial.imageOrigin();
    const size_t bytes = size_t(area.width()) * size_t(partial.image.depth()) / 8;
    const qsizetype offset = qsizetype(area.left()) * partial.image.depth() / 8;
    const qsizetype fromOffset = qsizetype(from.x()) * partial.image.depth() / 8;
    // bits() writes into the capture's own memory when nothing else shares the image.
    uchar *bits = whole.image.bits();
    const qsizetype stride = whole.image.bytesPerLine();
    for (int y = 0; y < area.height(); ++y)
        std::memcpy(bits + (area.top() + y) * stride + offset,
                    partial.image.constScanLine(from.y() + y) + fromOffset, bytes);
    return whole;
}

} // namespace

LoupeController::LoupeController(std::unique_ptr<SnapshotCapturing> capturer,
                                 std::unique_ptr<LoupeSupport> support, QObject *parent)
    : QObject(parent)
    , m_capturer(std::move(capturer))
    , m_support(support ? std::move(support) : makeSystemLoupeSupport()) {
    m_point = pointerOr(QCursor::pos());
    m_started.start();
    // The support lives as long as the controller that holds these.
    LoupeSupport *s = m_support.get();
    m_frontmostApp = [s] {
        return s->focusedWindow();
    };
    m_restoreFocus = [s](FocusWindow previous) {
        s->restoreFocus(previous);
    };
    m_idleRelease = new QTimer(this);
    m_idleRelease->setSingleShot(true);
    m_idleRelease->setInterval(idleReleaseMs);
    connect(m_idleRelease, &QTimer::timeout, this, &LoupeController::releaseIdleMemory);
}

LoupeController::~LoupeController() {
    m_support->endPick();
    if (m_cursorHidden)
        QGuiApplication::restoreOverrideCursor();
    qDeleteAll(m_allWindows);
}

void LoupeController::setLabelFormat(std::function<ColorFormat()> labelFormat) {
    m_labelFormat = std::move(labelFormat);
}

void LoupeController::setLowercaseHex(std::function<bool()> lowercaseHex) {
    m_lowercaseHex = std::move(lowercaseHex);
}

void LoupeController::setFrontmostApp(std::function<FocusWindow()> frontmostApp) {
    m_frontmostApp = std::move(frontmostApp);
}

void LoupeController::setRestoreFocus(std::function<void(FocusWindow)> restoreFocus) {
    m_restoreFocus = std::move(restoreFocus);
}

QString LoupeController::labelText(const PickedColor &color) const {
    const ColorFormat format = m_labelFormat ? m_labelFormat() : ColorFormat::hex;
    const bool lowercase = m_lowercaseHex ? m_lowercaseHex() : false;
    return ColorFormats::labelText(format, color, lowercase);
}

void LoupeController::warmUp() {
    m_capturer->warmUp();
    ReduceMotion::warmUp();
    // One window per display, its native window and backing store made now.
    const QList<QScreen *> screens = QGuiApplication::screens();
    QList<LoupeWindow *> spare = m_idleWindows;
    for (QScreen *screen : screens) {
        const QRectF frame(screen->geometry());
        auto it = std::find_if(spare.begin(), spare.end(),
                               [&](LoupeWindow *w) { return w->frame() == frame; });
        if (it != spare.end()) {
            spare.erase(it);
            continue;
        }
        auto *window = m_support->createWindow();
        m_allWindows.append(window);
        window->prepare(frame);
        m_idleWindows.append(window);
    }
    // The view's drawing (fonts, glyphs, glass) is exercised once off screen at each display's
    // scale: the pop-in's first frame, whose glass and lens masks are kept for the first pick,
    // then the settled loupe.
    QList<qreal> ratios;
    for (QScreen *screen : screens) {
        if (!ratios.contains(screen->devicePixelRatio()))
            ratios.append(screen->devicePixelRatio());
    }
    for (const qreal ratio : std::as_const(ratios)) {
        ScreenSnapshot sample;
        sample.frame = QRectF(0, 0, 240, 240);
        sample.image = QImage((sample.frame.size() * ratio).toSize(), QImage::Format_RGB32);
        sample.image.fill(Qt::gray);
        LoupeView view(sample);
        view.setLabel([this](const PickedColor &color) { return labelText(color); });
        view.update(QPointF(120, 120));
        QImage target(sample.image.size(), QImage::Format_RGB32);
        target.setDevicePixelRatio(ratio);
        view.render(&target);
        Motion::finish(view.ringGlass());
        Motion::finish(view.pillGlass());
        view.render(&target);
    }

    // Two rounds, so that buffers the service set up on its own warm-up are reached as well.
    rehearse(m_capturer->capturesUnnoticed() ? 2 : 0);
}

void LoupeController::rehearse(int rounds) {
    if (rounds <= 0) {
        scheduleIdleRelease();
        Q_EMIT warmedUp();
        return;
    }
    // A pick holds the first display's snapshot while the full capture runs; whatever the
    // capture service sets up for that happens now, and the pixels are read once off the main
    // thread so that the first picks do not fault them in while painting.
    captureFirst(pointerOr(m_point), [this, rounds](CaptureResult first) {
        m_capturer->captureAllDisplays(this, [this, rounds, first](CaptureResult all) {
            if (!first.ok() || !all.ok()) {
                qCDebug(lcLoupe, "warm-up capture failed: %s",
                        qUtf8Printable(first.ok() ? all.error : first.error));
                scheduleIdleRelease();
                Q_EMIT warmedUp();
                return;
            }
            QList<QImage> images;
            for (const ScreenSnapshot &snapshot : first.snapshots + all.snapshots)
                images.append(snapshot.image);
            // A watcher owned by the controller, not a continuation with a context: the
            // controller may be gone (the application quit) before the pages are touched.
            auto *watcher = new QFutureWatcher<void>(this);
            connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, rounds] {
                watcher->deleteLater();
                rehearse(rounds - 1);
            });
            watcher->setFuture(QtConcurrent::run([images = std::move(images)]() mutable {
                touchPages(images);
                images.clear(); // the capture buffers go back before the next round
            }));
        });
    });
}

void LoupeController::start(PickHandler onPick) {
    if (m_isShowing) {
        close();
        return;
    }
    m_isShowing = true;
    m_idleRelease->stop();
    m_onPick = std::move(onPick);
    m_started.start();
    m_previousApp = m_frontmostApp ? m_frontmostApp() : std::nullopt;
    const int session = ++m_session;
    // Before any event of ours, Qt's last known position stands in for an unreadable pointer.
    m_point = pointerOr(QCursor::pos());
    m_support->beginPick([weak = QPointer<LoupeController>(this), session] {
        if (weak && weak->m_session == session)
            weak->close();
    });
    m_pickPending = false;
    clearFadingLoupes();
    captureFirst(m_point, [this, session](CaptureResult result) {
        // Delivered only while this controller exists (it is the context).
        firstCaptured(session, result);
    });
    // While the capture runs, the window that will show it gets back a store given away while
    // idle: faulting its pages in one by one would otherwise be most of the first frame's time.
    if (QScreen *screen = QGuiApplication::screenAt(m_point.toPoint())) {
        const QRectF frame(screen->geometry());
        if (LoupeWindow *window = idleWindowFor(frame)) {
            const QPointF half(firstAreaPoints / 2, firstAreaPoints / 2);
            window->restoreBackingStore(QRectF(m_point - frame.topLeft() - half, half * 2));
        }
    }
}

void LoupeController::scheduleIdleRelease() {
    if (!m_isShowing && m_fading.isEmpty())
        m_idleRelease->start();
}

void LoupeController::releaseIdleMemory() {
    m_idleRelease->stop();
    if (m_isShowing || !m_fading.isEmpty())
        return;
    m_capturer->releaseMemory();
    for (LoupeWindow *window : std::as_const(m_idleWindows))
        window->releaseBackingStore();
#ifdef __GLIBC__
    // A display's worth of freed pixels (backdrops, capture replies) stays in the allocator's
    // arenas otherwise.
    malloc_trim(0);
#endif
    qCInfo(lcLoupe, "idle: capture buffers and window pixels given back");
}

void LoupeController::clearFadingLoupes() {
    // A closed pick's windows cover the screen until they are ordered out, and the capture takes
    // the screen as it is shown: their fading loupes would be picked from. Without them the
    // windows show their snapshots, which is what the screen looked like under them.
    bool dropped = false;
    for (const QPointer<LoupeWindow> &window : std::as_const(m_fading)) {
        if (window && window->isPresented() && window->view()) {
            window->view()->dropLoupe();
            dropped = true;
        }
    }
    if (dropped)
        m_support->syncDrawing();
}

void LoupeController::captureFirst(const QPointF &point, SnapshotCapturing::Completion done) {
    if (m_support->showsPartsOfWindows())
        m_capturer->captureArea(point, QSizeF(firstAreaPoints, firstAreaPoints), this,
                                std::move(done));
    else
        m_capturer->captureDisplay(point, this, std::move(done));
}

void LoupeController::firstCaptured(int session, const CaptureResult &result) {
    if (!result.ok()) {
        reportFailure("capture failed", result, session);
        return;
    }
    if (result.snapshots.isEmpty()) {
        if (m_session == session)
            close();
        return;
    }
    if (m_session != session)
        return;

    openWindow(result.snapshots.first());
    // The loupe is on screen before the input is taken, which waits for the server.
    updateViews();
    for (LoupeWindow *window : std::as_const(m_windows))
        window->drawLoupeAtOnce();
    LoupeWindow *key = windowContaining(m_point);
    if (!key)
        key = m_windows.first();
    makeKey(key);
    m_support->takeInput(key->view());
    if (!m_cursorHidden) {
        QGuiApplication::setOverrideCursor(Qt::BlankCursor);
        m_cursorHidden = true;
    }
    qCInfo(lcLoupe, "first window ordered front %.1f ms after toggle",
           double(m_started.nsecsElapsed()) / 1e6);

    // The other displays follow once this one is on screen: their capture would otherwise hold
    // the X server (and a core) while the first window is mapped and painted.
    connect(
        key, &LoupeWindow::exposed, this, [this, session] { captureAll(session); },
        Qt::SingleShotConnection);
    QTimer::singleShot(fullCaptureLatestMs, this, [this, session] { captureAll(session); });
}

void LoupeController::captureAll(int session) {
    if (m_session != session || m_fullCaptureSession == session)
        return;
    m_fullCaptureSession = session;
    m_capturer->captureAllDisplays(
        this, [this, session](CaptureResult all) { fullCaptured(session, std::move(all)); });
}

void LoupeController::fullCaptured(int session, CaptureResult result) {
    if (!result.ok()) {
        reportFailure("full capture failed", result, session);
        return;
    }
    if (m_session != session)
        return;
    for (ScreenSnapshot &snapshot : result.snapshots) {
        const auto shown = std::find_if(m_windows.begin(), m_windows.end(), [&](LoupeWindow *w) {
            return w->view() && w->view()->snapshot().displayID == snapshot.displayID;
        });
        if (shown == m_windows.end()) {
            openWindow(snapshot);
            continue;
        }
        // The display captured first keeps the pixels read before its window covered them; a
        // partial first snapshot gets the rest of the display around them.
        const ScreenSnapshot &first = (*shown)->view()->snapshot();
        if (first.isPartial())
            (*shown)->replaceSnapshot(completed(first, std::move(snapshot)));
    }
    updateViews();
    qCInfo(lcLoupe, "every display shown %.1f ms after toggle",
           double(m_started.nsecsElapsed()) / 1e6);
    if (std::exchange(m_pickPending, false))
        pick();
}

void LoupeController::reportFailure(const char *what, const CaptureResult &failure, int session) {
    qCCritical(lcLoupe, "%s: %s", what, qUtf8Printable(failure.error));
    if (m_session != session)
        return;
    end();
    if (m_onFailure)
        m_onFailure(failure);
    Q_EMIT closed();
}

void LoupeController::openWindow(const ScreenSnapshot &snapshot) {
    auto *view = new LoupeView(snapshot);
    const QPointer<LoupeController> weak(this);
    view->setLabel([weak](const PickedColor &color) {
        return weak ? weak->labelText(color) : LoupeView::defaultLabel(color);
    });
    view->setOnMove([weak](const QPointF &global) {
        if (weak)
            weak->moved(global);
    });
    view->setOnAction([weak](const LoupeAction &action) {
        if (weak)
            weak->act(action);
    });

    LoupeWindow *window = acquireWindow(snapshot.frame);
    window->setPaintsLoupeFirst(m_support->keepsScreenUnderNewWindows());
    // Over a modal dialog of ours the loupe is modal too: the dialog would otherwise keep every
    // key and click from it, and the loupe would show without taking input.
    window->setWindowModality(QGuiApplication::modalWindow() ? Qt::ApplicationModal : Qt::NonModal);
    window->present(view, snapshot.frame);
    m_windows.append(window);
    Q_EMIT windowOpened(window);

    if (m_windows.size() > 1) {
        LoupeWindow *under = windowContaining(m_point);
        if (under && under != m_keyWindow)
            makeKey(under);
    }
}

LoupeWindow *LoupeController::idleWindowFor(const QRectF &frame) const {
    // An idle window of the same size keeps its backing store; any other is resized.
    auto it = std::find_if(m_idleWindows.begin(), m_idleWindows.end(),
                           [&](LoupeWindow *w) { return w->frame() == frame; });
    if (it == m_idleWindows.end())
        it = std::find_if(m_idleWindows.begin(), m_idleWindows.end(),
                          [&](LoupeWindow *w) { return w->frame().size() == frame.size(); });
    if (it == m_idleWindows.end() && !m_idleWindows.isEmpty())
        it = m_idleWindows.end() - 1;
    return it == m_idleWindows.end() ? nullptr : *it;
}

LoupeWindow *LoupeController::acquireWindow(const QRectF &frame) {
    if (LoupeWindow *window = idleWindowFor(frame)) {
        m_idleWindows.removeOne(window);
        return window;
    }
    auto *window = m_support->createWindow();
    m_allWindows.append(window);
    return window;
}

void LoupeController::recycle(LoupeWindow *window) {
    window->orderOut();
    // Enough idle windows for every display; those of quick restarts beyond that go.
    if (m_idleWindows.size() < std::max<qsizetype>(1, QGuiApplication::screens().size())) {
        m_idleWindows.append(window);
        return;
    }
    m_allWindows.removeOne(window);
    window->deleteLater();
}

LoupeWindow *LoupeController::windowContaining(const QPointF &point) const {
    for (LoupeWindow *window : m_windows) {
        if (window->view() && window->view()->snapshot().contains(point))
            return window;
    }
    return nullptr;
}

void LoupeController::makeKey(LoupeWindow *window) {
    m_keyWindow = window;
    window->raise();
    m_support->focusWindow(window);
    if (LoupeView *view = window->view())
        view->setFocus(Qt::OtherFocusReason);
}

void LoupeController::updateViews() {
    for (LoupeWindow *window : std::as_const(m_windows)) {
        if (LoupeView *view = window->view())
            view->update(m_point);
    }
}

QPointF LoupeController::pointerOr(const QPointF &known) const {
    return m_support->pointerPosition().value_or(known);
}

void LoupeController::moved(const QPointF &eventPoint) {
    if (m_confirming || !m_isShowing)
        return;
    m_point = pointerOr(eventPoint);
    LoupeWindow *under = windowContaining(m_point);
    if (under && under != m_keyWindow)
        makeKey(under);
    updateViews();
}

void LoupeController::act(const LoupeAction &action) {
    if (m_confirming || !m_isShowing)
        return;
    switch (action.kind) {
    case LoupeAction::Kind::nudge:
        nudge(action.dx, action.dy);
        break;
    case LoupeAction::Kind::pick:
        pick();
        break;
    case LoupeAction::Kind::cancel:
        close();
        break;
    }
}

void LoupeController::nudge(int dx, int dy) {
    LoupeWindow *window = windowContaining(m_point);
    if (!window)
        return;
    const ScreenSnapshot &snapshot = window->view()->snapshot();
    const QRectF frame = snapshot.frame;
    const int pixels = snapshot.pixelSize().width();
    if (pixels <= 0)
        return;
    // One snapshot pixel in points; dy counts upwards, Qt's y downwards.
    const double p = frame.width() / pixels;
    const double x = std::min(std::max(m_point.x() + dx * p, frame.left()), frame.right() - p);
    const double y = std::min(std::max(m_point.y() - dy * p, frame.top()), frame.bottom() - p);
    m_point = QPointF(x, y);
    if (m_support->canWarpPointer())
        m_support->warpPointer(m_point);
    updateViews();
}

void LoupeController::pick() {
    LoupeWindow *window = windowContaining(m_point);
    if (!window) {
        close();
        return;
    }
    LoupeView *view = window->view();
    const ScreenSnapshot &snapshot = view->snapshot();
    const std::optional<QPoint> pixel = snapshot.pixelAt(m_point);
    const std::optional<PickedColor> color =
        pixel ? snapshot.colorAtPixel(pixel->x(), pixel->y()) : std::nullopt;
    if (!color && pixel && snapshot.isPartial()) {
        m_pickPending = true;
        return;
    }
    if (!color) {
        close();
        return;
    }

    const int session = m_session;
    if (PickHandler onPick = m_onPick)
        onPick(*color);
    // The handler may have ended or restarted the pick.
    if (m_session != session)
        return;
    m_confirming = true;
    view->confirm();
    QTimer::singleShot(confirmationMs, Qt::PreciseTimer, this, [this, session] {
        if (m_session == session)
            close();
    });
}

void LoupeController::close() {
    end();
    Q_EMIT closed();
}

void LoupeController::end() {
    ++m_session;
    m_support->endPick();
    if (m_cursorHidden) {
        QGuiApplication::restoreOverrideCursor();
        m_cursorHidden = false;
    }

    const QList<LoupeWindow *> closing = std::exchange(m_windows, {});
    m_keyWindow = nullptr;
    QList<QPointer<LoupeWindow>> leaving;
    for (LoupeWindow *window : closing) {
        window->setIgnoresMouse(true);
        if (LoupeView *view = window->view()) {
            // A closed pick's views act no more, whatever is still queued for them.
            view->setOnMove({});
            view->setOnAction({});
            view->popOut();
        }
        leaving.append(window);
    }
    if (!leaving.isEmpty()) {
        m_fading += leaving;
        QTimer::singleShot(orderOutMs, Qt::PreciseTimer, this, [this, leaving] {
            for (const QPointer<LoupeWindow> &window : leaving) {
                m_fading.removeOne(window);
                if (window)
                    recycle(window);
            }
            m_fading.removeAll(nullptr);
            scheduleIdleRelease();
        });
    }

    m_onPick = {};
    m_pickPending = false;
    m_confirming = false;
    m_isShowing = false;
    const FocusWindow previous = std::exchange(m_previousApp, std::nullopt);
    if (m_restoreFocus)
        m_restoreFocus(previous);
    qCInfo(lcLoupe, "closed");
}
