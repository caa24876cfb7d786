#include "Chromet/Picking/Wayland/WaylandSnapshotCapturer.h"

#include "OrinWayland/WaylandConnection.h"
#include "OrinWayland/WaylandShmBuffer.h"
#include "OrinWayland/wlr-screencopy-unstable-v1-client.h"

#include <QColorSpace>
#include <QGuiApplication>
#include <QScreen>
#include <QTransform>

#include <wayland-client.h>

#include <algorithm>

namespace {

// The image as the output shows it on the layout: the copy comes in the output's own
// orientation, which its transform turns (then flips) before display.
QImage upright(const QImage &image, int transform, bool yInverted) {
    QImage result = yInverted ? image.mirrored(false, true) : image;
    if (transform == WL_OUTPUT_TRANSFORM_NORMAL)
        return result;
    QTransform turn;
    switch (transform & 3) {
    case WL_OUTPUT_TRANSFORM_90:
        turn.rotate(-90);
        break;
    case WL_OUTPUT_TRANSFORM_180:
        turn.rotate(180);
        break;
    case WL_OUTPUT_TRANSFORM_270:
        turn.rotate(90);
        break;
    default:
        break;
    }
    if (transform & WL_OUTPUT_TRANSFORM_FLIPPED)
        result = result.mirrored(true, false);
    return result.transformed(turn);
}

} // namespace

struct WaylandSnapshotCapturer::Request {
    QList<ScreenSnapshot> snapshots;
    QString error;
    int pending = 0;
    QPointer<QObject> context;
    Completion done;
};

struct WaylandSnapshotCapturer::Copy {
    std::shared_ptr<Request> request;
    int index = 0;
    WaylandConnection *connection = nullptr;
    zwlr_screencopy_frame_v1 *frame = nullptr;
    std::unique_ptr<WaylandShmBuffer> buffer;
    quint32 format = 0, stride = 0;
    QSize size;
    bool offered = false;
    bool yInverted = false;
    quint32 outputName = 0;
};

namespace {

void copyInto(auto *copy) {
    // A buffer of the size and format the compositor asked for; the copy then lands in it.
    copy->buffer = WaylandShmBuffer::create(copy->connection->shm(), copy->size, int(copy->stride),
                                            copy->format);
    if (!copy->buffer) {
        copy->request->error = QStringLiteral("no shared memory for a %1x%2 copy")
                                   .arg(copy->size.width())
                                   .arg(copy->size.height());
        return;
    }
    zwlr_screencopy_frame_v1_copy(copy->frame, copy->buffer->buffer());
}

} // namespace

WaylandSnapshotCapturer::WaylandSnapshotCapturer(WaylandConnection *connection)
    : m_connection(connection) {
}

bool WaylandSnapshotCapturer::isAvailable(WaylandConnection *connection) {
    return connection && connection->screencopy() && connection->shm();
}

void WaylandSnapshotCapturer::captureDisplay(const QPointF &global, QObject *context,
                                             Completion done) {
    QList<quint32> outputs;
    if (const WaylandOutput *output = m_connection->outputAt(global))
        outputs.append(output->globalName);
    capture(outputs, context, std::move(done));
}

void WaylandSnapshotCapturer::captureAllDisplays(QObject *context, Completion done) {
    // In the order of Qt's screens, which name the same outputs; outputs Qt has not seen yet
    // follow.
    QList<const WaylandOutput *> all = m_connection->outputs();
    const QList<QScreen *> screens = QGuiApplication::screens();
    const auto rank = [&screens](const WaylandOutput *o) {
        const auto it = std::find_if(screens.begin(), screens.end(),
                                     [o](QScreen *s) { return s->name() == o->name; });
        return it - screens.begin();
    };
    std::stable_sort(all.begin(), all.end(), [&](auto *a, auto *b) { return rank(a) < rank(b); });
    QList<quint32> outputs;
    for (const WaylandOutput *output : all)
        outputs.append(output->globalName);
    capture(outputs, context, std::move(done));
}

void WaylandSnapshotCapturer::capture(QList<quint32> outputs, QObject *context, Completion done) {
    auto request = std::make_shared<Request>();
    request->context = context;
    request->done = std::move(done);
    request->snapshots.resize(outputs.size());
    request->pending = int(outputs.size());
    if (m_connection->hasFailed())
        request->error = QStringLiteral("the connection to the compositor failed");

    static const zwlr_screencopy_frame_v1_listener listener = {
        .buffer =
            [](void *data, zwlr_screencopy_frame_v1 *, uint32_t format, uint32_t width,
               uint32_t height, uint32_t stride) {
                auto *copy = static_cast<Copy *>(data);
                // The first shared-memory format that an image can hold.
                if (copy->offered ||
                    WaylandShmBuffer::imageFormat(format) == QImage::Format_Invalid)
                    return;
                copy->offered = true;
                copy->format = format;
                copy->size = QSize(int(width), int(height));
                copy->stride = stride;
                // Before version 3 this is the only offer, and no buffer_done follows.
                if (zwlr_screencopy_frame_v1_get_version(copy->frame) < 3)
                    copyInto(copy);
            },
        .flags =
            [](void *data, zwlr_screencopy_frame_v1 *, uint32_t flags) {
                static_cast<Copy *>(data)->yInverted =
                    flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT;
            },
        .ready =
            [](void *data, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t, uint32_t) {
                auto *copy = static_cast<Copy *>(data);
                const WaylandOutput *output = copy->connection->outputNamed(copy->outputName);
                if (!output) {
                    copy->request->error = QStringLiteral("the output went away");
                } else {
                    ScreenSnapshot &snapshot = copy->request->snapshots[copy->index];
                    snapshot.displayID = output->globalName;
                    snapshot.screenName = output->name;
                    snapshot.frame = QRectF(output->logical);
                    snapshot.image =
                        upright(copy->buffer->image(), output->transform, copy->yInverted);
                    // Compositors of this protocol hand out what they scan out, in sRGB.
                    snapshot.image.setColorSpace(QColorSpace(QColorSpace::SRgb));
                }
                finished(copy);
            },
        .failed =
            [](void *data, zwlr_screencopy_frame_v1 *) {
                auto *copy = static_cast<Copy *>(data);
                copy->request->error = QStringLiteral("the compositor refused the screen copy");
                finished(copy);
            },
        .damage = [](void *, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t, uint32_t, uint32_t) {},
        .linux_dmabuf = [](void *, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t, uint32_t) {},
        .buffer_done =
            [](void *data, zwlr_screencopy_frame_v1 *) {
                auto *copy = static_cast<Copy *>(data);
                if (!copy->offered) {
                    copy->request->error =
                        QStringLiteral("the compositor offers no shared-memory format we read");
                    finished(copy);
                    return;
                }
                copyInto(copy);
                if (!copy->buffer)
                    finished(copy);
            },
    };

    for (int i = 0; i < outputs.size() && request->error.isEmpty(); ++i) {
        const WaylandOutput *output = m_connection->outputNamed(outputs[i]);
        if (!output) {
            request->error = QStringLiteral("the output went away");
            break;
        }
        auto *copy = new Copy;
        copy->request = request;
        copy->index = i;
        copy->connection = m_connection;
        copy->outputName = output->globalName;
        copy->frame = zwlr_screencopy_manager_v1_capture_output(m_connection->screencopy(), 0,
                                                                output->output);
        zwlr_screencopy_frame_v1_add_listener(copy->frame, &listener, copy);
    }
    m_connection->flush();
    if (!request->error.isEmpty() || outputs.isEmpty()) {
        request->pending = 0;
        request->snapshots.clear();
        // Copies already asked for finish on their own and find the request answered.
        auto answer = std::exchange(request->done, {});
        CaptureResult result{{}, request->error};
        deliverCaptureResult(QtFuture::makeReadyFuture(result), context, std::move(answer));
    }
}

void WaylandSnapshotCapturer::finished(Copy *copy) {
    std::shared_ptr<Request> request = copy->request;
    zwlr_screencopy_frame_v1_destroy(copy->frame);
    delete copy;
    if (--request->pending > 0 || !request->done)
        return;
    CaptureResult result;
    result.error = request->error;
    if (result.ok())
        result.snapshots = request->snapshots;
    deliverCaptureResult(QtFuture::makeReadyFuture(result), request->context,
                         std::exchange(request->done, {}));
}
