// Time from a capture request to the delivered snapshot for one display, over shared memory and
// over plain GetImage. Each screen size runs in a child process with its own Xvfb, since one
// process keeps one X connection.

#include "BenchTimer.h"
#include "PerSizeRuns.h"

#include "Chromet/Picking/X11/X11SnapshotCapturer.h"
#include "Support/XServerSession.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>

#include <cstdio>

namespace {

constexpr int kSamples = 15;

// Median milliseconds from captureAllDisplays() to the result on the main thread.
double medianCaptureMs(X11SnapshotCapturer &capturer, const QSize &expected, bool *ok) {
    QObject context;
    return medianNsPerCall(
               [&] {
                   QEventLoop loop;
                   CaptureResult result;
                   capturer.captureAllDisplays(&context, [&](CaptureResult r) {
                       result = std::move(r);
                       loop.quit();
                   });
                   loop.exec();
                   if (!result.ok() || result.snapshots.size() != 1 ||
                       result.snapshots.first().image.size() != expected) {
                       std::fprintf(stderr, "capture failed: %s\n", qPrintable(result.error));
                       *ok = false;
                   }
               },
               1, kSamples) /
           1e6;
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
    QGuiApplication app(argc, argv);
    const QStringList parts = size.split(QLatin1Char('x'));
    const QSize expected(parts.value(0).toInt(), parts.value(1).toInt());

    bool ok = true;
    double coldMs = 0;
    {
        // What a pick pays when nothing was prepared: segment creation and page faults.
        X11SnapshotCapturer cold;
        QElapsedTimer timer;
        timer.start();
        QEventLoop loop;
        cold.captureAllDisplays(&app, [&](CaptureResult r) {
            ok = ok && r.ok();
            loop.quit();
        });
        loop.exec();
        coldMs = timer.nsecsElapsed() / 1e6;
    }

    X11SnapshotCapturer shared;
    shared.warmUp();
    if (!shared.usesSharedMemory()) {
        std::fprintf(stderr, "the server offers no shared memory\n");
        return 1;
    }
    medianCaptureMs(shared, expected, &ok); // settle the pool threads and the segment
    const double sharedMs = medianCaptureMs(shared, expected, &ok);

    X11SnapshotCapturer plain(X11SnapshotCapturer::Transfer::GetImage);
    const double plainMs = medianCaptureMs(plain, expected, &ok);
    if (!ok)
        return 1;

    printFigure(qPrintable(QStringLiteral("capture %1, first without warm-up").arg(size)), coldMs,
                "ms (one run)");
    printFigure(qPrintable(QStringLiteral("capture %1, shared memory").arg(size)), sharedMs,
                size == QLatin1String("3840x2160") ? "ms (target < 5)" : "ms");
    printFigure(qPrintable(QStringLiteral("capture %1, GetImage").arg(size)), plainMs, "ms");
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::printf("CaptureBench: median of %d captures of one display\n", kSamples);
        std::fflush(stdout);
    }
    return runPerDisplaySize(argc, argv, measure, 120000);
}
