// Time from LoupeController::start() to the first loupe window on screen: mapped by the X server
// (MapNotify), the end of the loupe view's first paint, and the whole window painted, flushed and
// processed by the server. Each screen size runs in a child process with its own Xvfb.

#include "BenchTimer.h"
#include "PerSizeRuns.h"

#include "Chromet/Picking/LoupeController.h"
#include "Chromet/Picking/LoupeView.h"
#include "Chromet/Picking/LoupeWindow.h"
#include "Chromet/Picking/X11/X11SnapshotCapturer.h"
#include "Support/XServerSession.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr int kRuns = 15;

QElapsedTimer clock_;

double nowMs() {
    return clock_.nsecsElapsed() / 1e6;
}

xcb_connection_t *connection() {
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

void syncWithServer() {
    std::free(xcb_get_input_focus_reply(connection(), xcb_get_input_focus(connection()), nullptr));
}

// Something like a desktop under the loupe, so that the snapshot is not a flat color.
class Desktop : public QWidget {
public:
    Desktop()
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setGeometry(QGuiApplication::primaryScreen()->geometry());
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, width(), height());
        gradient.setColorAt(0, QColor(245, 245, 240));
        gradient.setColorAt(0.5, QColor(40, 120, 200));
        gradient.setColorAt(1, QColor(20, 20, 30));
        painter.fillRect(rect(), gradient);
        for (int y = 0; y < height(); y += 20)
            painter.drawText(0, y, QStringLiteral("The quick brown fox jumps. ").repeated(20));
    }
};

struct Run {
    xcb_window_t window = XCB_NONE;
    QWidget *view = nullptr;
    double start = 0;
    double mapped = -1;
    double paintBegin = -1;
    double paintEnd = -1;
    double onScreen = -1;
};

// Watches one pick's first window: its MapNotify and its view's first paint event.
class Watcher : public QObject, public QAbstractNativeEventFilter {
public:
    Run *run = nullptr;

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override {
        if (!run || run->mapped >= 0 || type != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
            reinterpret_cast<const xcb_map_notify_event_t *>(event)->window == run->window)
            run->mapped = nowMs();
        return false;
    }

    bool eventFilter(QObject *object, QEvent *event) override {
        if (!run || object != run->view || event->type() != QEvent::Paint || m_inside ||
            run->paintBegin >= 0)
            return false;
        // Delivered here, inside the paint the backing store set up, to see where it ends.
        run->paintBegin = nowMs();
        m_inside = true;
        QCoreApplication::sendEvent(object, event);
        m_inside = false;
        run->paintEnd = nowMs();
        // The rest of the window paints and is flushed before the event loop turns again.
        QTimer::singleShot(0, this, [r = run] {
            syncWithServer();
            r->onScreen = nowMs();
        });
        return true;
    }

private:
    bool m_inside = false;
};

// Sleeps in the event loop, as the application does between events; a spinning loop would take
// the CPU from the capture threads and the X server.
bool waitFor(const std::function<bool()> &condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    QTimer tick;
    tick.start(20);
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int measure(int argc, char **argv, const QString &size) {
    XServerSession server;
    XServerSession::Options options;
    options.screenSize = size + QStringLiteral("x24");
    if (!server.start(options)) {
        std::fprintf(stderr, "cannot start Xvfb: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("CHROMET_REDUCE_MOTION", "0");
    QApplication app(argc, argv);
    clock_.start();

    Desktop desktop;
    desktop.show();
    waitFor([&] { return desktop.windowHandle() && desktop.windowHandle()->isExposed(); }, 5000);
    syncWithServer();

    auto capturer = std::make_unique<X11SnapshotCapturer>();
    X11SnapshotCapturer *x11 = capturer.get();
    LoupeController controller(std::move(capturer));
    bool warmedUp = false;
    QObject::connect(&controller, &LoupeController::warmedUp, [&] { warmedUp = true; });
    controller.warmUp();
    if (!waitFor([&] { return warmedUp; }, 10000))
        std::fprintf(stderr, "warning: the warm-up did not finish\n");
    if (!x11->usesSharedMemory())
        std::fprintf(stderr, "warning: captures do not use shared memory\n");

    Watcher watcher;
    app.installNativeEventFilter(&watcher);
    std::vector<Run> runs(kRuns);
    for (Run &run : runs) {
        watcher.run = &run;
        auto opened = QObject::connect(&controller, &LoupeController::windowOpened, &watcher,
                                       [&](LoupeWindow *window) {
                                           if (run.view)
                                               return;
                                           run.window = xcb_window_t(window->winId());
                                           run.view = window->view();
                                           run.view->installEventFilter(&watcher);
                                       });
        const QPoint pointer = QGuiApplication::primaryScreen()->geometry().center();
        QCursor::setPos(pointer);
        run.start = nowMs();
        controller.start([](const PickedColor &) {});
        const bool done = waitFor([&] { return run.onScreen >= 0 && run.mapped >= 0; }, 10000);
        QObject::disconnect(opened);
        if (!done) {
            std::fprintf(stderr, "the loupe did not appear\n");
            return 1;
        }
        run.view->removeEventFilter(&watcher);
        const QList<LoupeWindow *> windows = controller.windows();
        controller.close();
        waitFor(
            [&] {
                return std::none_of(windows.begin(), windows.end(),
                                    [](LoupeWindow *w) { return w->isVisible(); });
            },
            5000);
        // Let the desktop repaint before the next snapshot.
        waitFor([] { return false; }, 100);
        syncWithServer();
    }
    watcher.run = nullptr;

    std::vector<double> mapped, painted, shown;
    for (const Run &run : runs) {
        mapped.push_back(run.mapped - run.start);
        painted.push_back(run.paintEnd - run.start);
        shown.push_back(run.onScreen - run.start);
    }
    const bool large = size == QLatin1String("3840x2160");
    const char *target = large ? "ms (target < 25)" : "ms (target < 10)";
    printFigure(qPrintable(QStringLiteral("pick %1, start to window mapped").arg(size)),
                median(mapped), "ms");
    printFigure(qPrintable(QStringLiteral("pick %1, start to first paint").arg(size)),
                median(painted), target);
    printFigure(qPrintable(QStringLiteral("pick %1, start to painted and flushed").arg(size)),
                median(shown), "ms");
    printFigure(qPrintable(QStringLiteral("pick %1, first pick after warm-up, paint").arg(size)),
                runs.front().paintEnd - runs.front().start, "ms (one run)");
    if (qEnvironmentVariableIsSet("CHROMET_BENCH_VERBOSE")) {
        for (const Run &run : runs)
            std::printf("  mapped %6.2f  paint %6.2f..%6.2f  on screen %6.2f\n",
                        run.mapped - run.start, run.paintBegin - run.start,
                        run.paintEnd - run.start, run.onScreen - run.start);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::printf("PickBench: median of %d picks, the first right after warm-up included\n",
                    kRuns);
        std::fflush(stdout);
    }
    return runPerDisplaySize(argc, argv, measure, 180000);
}
