#pragma once

#include "Chromet/Picking/SnapshotCapturing.h"

#include <memory>

// Stands in where the desktop offers no way to read the screen: every capture fails with the
// reason, so the loupe reports it instead of showing nothing.
class UnavailableSnapshotCapturer : public SnapshotCapturing {
public:
    explicit UnavailableSnapshotCapturer(QString reason);

    QString reason() const { return m_reason; }

    void captureDisplay(const QPointF &global, QObject *context, Completion done) override;
    void captureAllDisplays(QObject *context, Completion done) override;

private:
    void fail(QObject *context, Completion done) const;

    QString m_reason;
};

// The capture service of the running desktop: the X11 capturer when Qt runs on xcb, otherwise
// the unavailable one (the reason is logged).
std::unique_ptr<SnapshotCapturing> makeSystemCapturer();
