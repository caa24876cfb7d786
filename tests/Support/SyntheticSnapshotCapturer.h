#pragma once

#include "Chromet/Picking/SnapshotCapturing.h"

#include <QPromise>

#include <memory>
#include <vector>

// A capture service over snapshots made by hand, for exercising the loupe without a display.
// Results arrive the way the real service delivers them: queued on the context's thread, and
// dropped when the context is gone. Held results let a test decide when a capture completes.
class SyntheticSnapshotCapturer : public SnapshotCapturing {
public:
    explicit SyntheticSnapshotCapturer(QList<ScreenSnapshot> displays = {});
    ~SyntheticSnapshotCapturer() override;

    // The displays in screen-list order; captureDisplay returns the first whose frame holds the
    // point.
    void setDisplays(QList<ScreenSnapshot> displays) { m_displays = std::move(displays); }

    // A non-empty error makes the respective captures fail with it; `declined`, as the desktop's
    // refusal.
    void setDisplayCaptureError(const QString &error, bool declined = false) {
        m_displayError = error;
        m_displayDeclined = declined;
    }
    void setFullCaptureError(const QString &error) { m_fullError = error; }

    // While holding, results wait for releaseHeld(), which completes them in request order.
    void setHoldResults(bool hold) { m_hold = hold; }
    int heldCount() const { return int(m_held.size()); }
    int releaseHeld();

    int displayCaptureCount() const { return m_displayCaptures; }
    int fullCaptureCount() const { return m_fullCaptures; }
    int warmUpCount() const { return m_warmUps; }

    void captureDisplay(const QPointF &global, QObject *context, Completion done) override;
    // The display's snapshot with only the pixels within `size` around the point captured; the
    // others read black.
    void captureArea(const QPointF &global, const QSizeF &size, QObject *context,
                     Completion done) override;
    void captureAllDisplays(QObject *context, Completion done) override;
    void warmUp() override { ++m_warmUps; }
    bool capturesUnnoticed() const override { return unnoticed; }
    bool unnoticed = true;

private:
    void complete(CaptureResult result, QObject *context, Completion done);

    QList<ScreenSnapshot> m_displays;
    QString m_displayError;
    bool m_displayDeclined = false;
    QString m_fullError;
    bool m_hold = false;
    std::vector<std::pair<std::shared_ptr<QPromise<CaptureResult>>, CaptureResult>> m_held;
    int m_displayCaptures = 0;
    int m_fullCaptures = 0;
    int m_warmUps = 0;
};
