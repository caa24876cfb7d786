#pragma once

#include "Chromet/Picking/SnapshotCapturing.h"

class WaylandConnection;

// Reads the outputs through the compositor's screen-copy protocol: one still image of each
// output, in device pixels, turned upright from the output's transform, without the cursor. The
// compositor writes straight into shared memory that the snapshot then wraps. Every output of a
// request is copied at once; the answer comes when the last one is in.
class WaylandSnapshotCapturer : public SnapshotCapturing {
public:
    explicit WaylandSnapshotCapturer(WaylandConnection *connection);

    // The compositor offers screen copies.
    static bool isAvailable(WaylandConnection *connection);

    void captureDisplay(const QPointF &global, QObject *context, Completion done) override;
    void captureAllDisplays(QObject *context, Completion done) override;

private:
    struct Request;
    struct Copy;
    void capture(QList<quint32> outputs, QObject *context, Completion done);
    static void finished(Copy *copy);

    WaylandConnection *m_connection;
};
