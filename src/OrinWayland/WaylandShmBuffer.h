#pragma once

#include <QImage>
#include <QSize>

#include <memory>

struct wl_buffer;
struct wl_shm;

// Pixels in anonymous shared memory that the compositor reads or writes through a wl_buffer.
// The QImage views the same memory and keeps it mapped for as long as any copy of it lives, so a
// snapshot can outlive its buffer without a copy.
class WaylandShmBuffer {
public:
    ~WaylandShmBuffer();
    WaylandShmBuffer(const WaylandShmBuffer &) = delete;
    WaylandShmBuffer &operator=(const WaylandShmBuffer &) = delete;

    // A buffer of the wl_shm format (ARGB8888, XRGB8888, ABGR8888 or XBGR8888); null when the
    // format has no QImage equivalent or the memory cannot be had.
    static std::unique_ptr<WaylandShmBuffer> create(wl_shm *shm, QSize size, int stride,
                                                    quint32 format);

    wl_buffer *buffer() const { return m_buffer; }
    // The pixels, shared: copies keep the memory mapped after the buffer is gone.
    QImage image() const { return m_image; }
    // The same memory to paint into, valid while this buffer lives. A copy of image() would be
    // detached by painting, into memory the compositor never sees.
    QImage canvas() const;
    // Whether the compositor has given the buffer back since it was last attached.
    bool isBusy() const { return m_busy; }
    void setBusy(bool busy = true) { m_busy = busy; }

    // The image's pixel format for a wl_shm format, Format_Invalid when there is none.
    static QImage::Format imageFormat(quint32 shmFormat);

private:
    WaylandShmBuffer() = default;

    wl_buffer *m_buffer = nullptr;
    QImage m_image;
    bool m_busy = false;
};
