#pragma once

#include "Chromet/Picking/SnapshotCapturing.h"

#include <QThreadPool>

#include <memory>

class QScreen;
class X11CaptureBackend;

// Reads the displays from the X server Qt is connected to: one still image of the root window's
// area under each screen, in device pixels, without the cursor, tagged with the display's ICC
// profile when a color manager published one. Pixels travel through MIT shared memory where the
// server offers it, through plain GetImage otherwise; either way they are wrapped, not copied.
class X11SnapshotCapturer : public SnapshotCapturing {
public:
    enum class Transfer {
        Automatic, // shared memory when available, unless CHROMET_CAPTURE_NO_SHM is set
        GetImage,  // never shared memory
    };

    explicit X11SnapshotCapturer(Transfer transfer = Transfer::Automatic);
    ~X11SnapshotCapturer() override;
    X11SnapshotCapturer(const X11SnapshotCapturer &) = delete;
    X11SnapshotCapturer &operator=(const X11SnapshotCapturer &) = delete;

    // Qt runs on xcb and has an X connection.
    static bool isAvailable();

    void captureDisplay(const QPointF &global, QObject *context, Completion done) override;
    void captureArea(const QPointF &global, const QSizeF &size, QObject *context,
                     Completion done) override;
    void captureAllDisplays(QObject *context, Completion done) override;
    // Checks the server's formats and extensions and prepares one shared-memory segment per
    // screen, off the calling thread.
    void warmUp() override;
    // Detaches and unmaps the spare shared-memory segments, and prepares a small one for the next
    // pick's first, partial read; those lent to snapshots go when the snapshots do.
    void releaseMemory() override;

    // Whether captures currently go through shared memory (known after warmUp or a capture).
    bool usesSharedMemory() const;
    // Shared-memory segments kept for the next captures.
    int spareSegmentCount() const;

private:
    // `area` (global, logical): the part of the one screen to read; null for whole screens.
    void capture(const QList<QScreen *> &screens, QObject *context, Completion done,
                 const QRectF &area = {});

    std::shared_ptr<X11CaptureBackend> m_backend;
    QThreadPool m_pool;
};
