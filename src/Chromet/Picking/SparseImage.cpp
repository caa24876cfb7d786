#include "Chromet/Picking/SparseImage.h"

#include <sys/mman.h>

#include <memory>

QImage sparseImage(const QSize &size, QImage::Format format) {
    if (size.isEmpty())
        return {};
    const qsizetype stride =
        (qsizetype(size.width()) * QImage::toPixelFormat(format).bitsPerPixel() + 31) / 32 * 4;
    const size_t bytes = size_t(stride) * size_t(size.height());
    void *memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return {};
    struct Mapping {
        void *address;
        size_t bytes;
    };
    return QImage(
        static_cast<uchar *>(memory), size.width(), size.height(), stride, format,
        [](void *info) {
            std::unique_ptr<Mapping> mapping(static_cast<Mapping *>(info));
            munmap(mapping->address, mapping->bytes);
        },
        new Mapping{memory, bytes});
}
