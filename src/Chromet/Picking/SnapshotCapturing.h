#pragma once

#include "Chromet/Picking/ScreenSnapshot.h"

#include <QFuture>
#include <QList>
#include <QPointer>
#include <QSizeF>
#include <QString>

#include <functional>

// Result of one capture: the snapshots in screen-list order, or the capture service's error.
struct CaptureResult {
    QList<ScreenSnapshot> snapshots;
    QString error; // empty on success
    // The desktop would not hand the screen over (its screenshot portal said no), which its own
    // color picker may still serve.
    bool declined = false;

    bool ok() const { return error.isEmpty(); }
};

// The screen-capture service. Results are delivered on the thread of `context` by a queued call,
// never from inside the request, and are dropped if `context` is gone by then.
class SnapshotCapturing {
public:
    using Completion = std::function<void(CaptureResult)>;

    virtual ~SnapshotCapturing() = default;

    // The display whose frame contains the global point: at most one snapshot, none when the
    // point is on no display.
    virtual void captureDisplay(const QPointF &global, QObject *context, Completion done) = 0;
    // The part of that display within `size` (points) around the point, as a partial snapshot
    // (ScreenSnapshot::captured) of the whole display: quick to take, where a service can read
    // part of a display. Services that cannot give the whole display.
    virtual void captureArea(const QPointF &global, const QSizeF & /*size*/, QObject *context,
                             Completion done) {
        captureDisplay(global, context, std::move(done));
    }
    // Every display, in the order of QGuiApplication::screens().
    virtual void captureAllDisplays(QObject *context, Completion done) = 0;
    // Prepares what a capture needs (connections, shared memory) so the first pick is fast.
    virtual void warmUp() {}
    // Whether a capture nobody asked for is unnoticed, so that captures may be rehearsed at
    // launch. Not where each one goes through the desktop, which may ask the user or flash.
    virtual bool capturesUnnoticed() const { return true; }
    // Gives back the memory kept between captures for speed (spare shared-memory buffers); the
    // next capture sets up what it needs again.
    virtual void releaseMemory() {}
};

// Hands the future's result to `done` on the thread of `context` through its event loop once the
// future finishes, never from inside this call, and not at all once `context` is gone. A future
// that ends without a result is delivered as a failed capture.
void deliverCaptureResult(const QFuture<CaptureResult> &future, QObject *context,
                          SnapshotCapturing::Completion done);
