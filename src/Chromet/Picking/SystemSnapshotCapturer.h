#pragma once

#include "Chromet/Picking/SnapshotCapturing.h"

#include <memory>

// Stands in where the desktop offers no way to read the screen: every capture fails with the
// reason, so the loupe reports it instead of showing nothing.
class NullSnapshotCapturer : public SnapshotCapturing {
public:
    explicit NullSnapshotCapturer(QString reason);

    QString reason() const { return m_reason; }

    void captureDisplay(const QPointF &global, QObject *context, Completion done) override;
    void captureAllDisplays(QObject *context, Completion done) override;

private:
    void fail(QObject *context, Completion done) const;

    QString m_reason;
};

// The capture service of PlatformBackend::kind(); the null one fails every capture with the
// backend's reason.
std::unique_ptr<SnapshotCapturing> makeSystemCapturer();
