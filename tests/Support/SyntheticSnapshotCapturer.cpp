#include "Support/SyntheticSnapshotCapturer.h"

#include <QPainter>

SyntheticSnapshotCapturer::SyntheticSnapshotCapturer(QList<ScreenSnapshot> displays)
    : m_displays(std::move(displays)) {
}

SyntheticSnapshotCapturer::~SyntheticSnapshotCapturer() {
    // Requests still held never complete: their receivers see a capture without a result.
    for (auto &held : m_held)
        held.first->finish();
}

void SyntheticSnapshotCapturer::captureDisplay(const QPointF &global, QObject *context,
                                               Completion done) {
    ++m_displayCaptures;
    CaptureResult result;
    result.error = m_displayError;
    result.declined = m_displayDeclined;
    if (result.ok()) {
        for (const ScreenSnapshot &display : std::as_const(m_displays)) {
            if (display.contains(global)) {
                result.snapshots.append(display);
                break;
            }
        }
    }
    complete(std::move(result), context, std::move(done));
}

void SyntheticSnapshotCapturer::captureArea(const QPointF &global, const QSizeF &size,
                                            QObject *context, Completion done) {
    captureDisplay(global, context, [global, size, done = std::move(done)](CaptureResult result) {
        for (ScreenSnapshot &s : result.snapshots) {
            QRectF area(QPointF(), size * s.scale());
            area.moveCenter((global - s.frame.topLeft()) * s.scale());
            s.captured = area.toAlignedRect() & s.image.rect();
            s.displayPixels = s.image.size();
            s.image = s.image.copy(s.captured);
        }
        done(std::move(result));
    });
}

void SyntheticSnapshotCapturer::captureAllDisplays(QObject *context, Completion done) {
    ++m_fullCaptures;
    CaptureResult result;
    result.error = m_fullError;
    if (result.ok())
        result.snapshots = m_displays;
    complete(std::move(result), context, std::move(done));
}

int SyntheticSnapshotCapturer::releaseHeld() {
    auto held = std::move(m_held);
    m_held.clear();
    for (auto &[promise, result] : held) {
        promise->addResult(std::move(result));
        promise->finish();
    }
    return int(held.size());
}

void SyntheticSnapshotCapturer::complete(CaptureResult result, QObject *context, Completion done) {
    auto promise = std::make_shared<QPromise<CaptureResult>>();
    promise->start();
    deliverCaptureResult(promise->future(), context, std::move(done));
    if (m_hold) {
        m_held.emplace_back(std::move(promise), std::move(result));
        return;
    }
    promise->addResult(std::move(result));
    promise->finish();
}
