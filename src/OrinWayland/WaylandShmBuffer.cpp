#include "OrinWayland/WaylandShmBuffer.h"

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

namespace {

struct Mapping {
    void *data;
    size_t size;
};

void unmap(void *info) {
    auto *mapping = static_cast<Mapping *>(info);
    munmap(mapping->data, mapping->size);
    delete mapping;
}

const wl_buffer_listener releaseListener = {
    [](void *data, wl_buffer *) { static_cast<WaylandShmBuffer *>(data)->setBusy(false); },
};

} // namespace

QImage::Format WaylandShmBuffer::imageFormat(quint32 shmFormat) {
    switch (shmFormat) {
    // Little-endian 32-bit words: B, G, R, A in memory, Qt's RGB32. The screen is opaque, so
    // an alpha channel says nothing.
    case WL_SHM_FORMAT_ARGB8888:
    case WL_SHM_FORMAT_XRGB8888:
        return QImage::Format_RGB32;
    case WL_SHM_FORMAT_ABGR8888:
    case WL_SHM_FORMAT_XBGR8888:
        return QImage::Format_RGBX8888;
    default:
        return QImage::Format_Invalid;
    }
}

std::unique_ptr<WaylandShmBuffer> WaylandShmBuffer::create(wl_shm *shm, QSize size, int stride,
                                                           quint32 format) {
    const QImage::Format imageFormat = WaylandShmBuffer::imageFormat(format);
    if (!shm || imageFormat == QImage::Format_Invalid || size.isEmpty() ||
        stride < size.width() * 4)
        return nullptr;
    const size_t bytes = size_t(stride) * size_t(size.height());
    const int fd = memfd_create("chromet-pixels", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    void *data = MAP_FAILED;
    if (ftruncate(fd, off_t(bytes)) == 0)
        data = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    wl_shm_pool *pool = wl_shm_create_pool(shm, fd, int(bytes));
    std::unique_ptr<WaylandShmBuffer> buffer(new WaylandShmBuffer);
    buffer->m_buffer =
        wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), stride, format);
    // The pool and the descriptor may go at once: the buffer keeps the memory on the
    // compositor's side, the mapping on ours.
    wl_shm_pool_destroy(pool);
    close(fd);
    wl_buffer_add_listener(buffer->m_buffer, &releaseListener, buffer.get());
    buffer->m_image = QImage(static_cast<uchar *>(data), size.width(), size.height(), stride,
                             imageFormat, unmap, new Mapping{data, bytes});
    return buffer;
}

QImage WaylandShmBuffer::canvas() const {
    return QImage(const_cast<uchar *>(m_image.constBits()), m_image.width(), m_image.height(),
                  m_image.bytesPerLine(), m_image.format());
}

WaylandShmBuffer::~WaylandShmBuffer() {
    if (m_buffer)
        wl_buffer_destroy(m_buffer);
}
