#include "Chromet/Picking/SnapshotCapturing.h"

#include <QFutureWatcher>
#include <QThread>

namespace {

void watch(const QFuture<CaptureResult> &future, QObject *context,
           SnapshotCapturing::Completion done) {
    // Parented to the context, the watcher dies with it and the result is never delivered.
    auto *watcher = new QFutureWatcher<CaptureResult>(context);
    QObject::connect(watcher, &QFutureWatcher<CaptureResult>::finished, watcher,
                     [watcher, done = std::move(done)] {
                         const QFuture<CaptureResult> finished = watcher->future();
                         watcher->deleteLater();
                         CaptureResult result;
                         // Taken, not copied: the images are then the result's alone, and the
                         // loupe may write into them without a copy of a display.
                         if (finished.resultCount() > 0)
                             result = QFuture<CaptureResult>(finished).takeResult();
                         else
                             result.error = QStringLiteral("the capture ended without a result");
                         if (done)
                             done(std::move(result));
                     });
    watcher->setFuture(future);
}

} // namespace

void deliverCaptureResult(const QFuture<CaptureResult> &future, QObject *context,
                          SnapshotCapturing::Completion done) {
    if (!context)
        return;
    if (QThread::currentThread() == context->thread()) {
        watch(future, context, std::move(done));
        return;
    }
    // Set the watcher up on the context's own thread; a posted call to a deleted object is
    // discarded.
    QMetaObject::invokeMethod(
        context,
        [future, context, done = std::move(done)]() mutable {
            watch(future, context, std::move(done));
        },
        Qt::QueuedConnection);
}
