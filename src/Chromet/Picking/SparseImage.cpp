#include "Chromet/Picking/SparseImage.h"

#include <sys/mman.h>

#include <cstdint>
#include <memory>

QImage sparseImage(const QSize &size, QImage::Format format) {
    if (size.isEmpty())
        return {};
    const qsizetype stride =
        (qsizetype(size.width()) * QImage::toPixelFormat(format).bitsPerPixel() + 31) / 32 * 4;
    const size_t bytes = size_t(stride) * size_t(size.height());
    constexpr size_t hugePage = size_t(2) << 20;
    const size_t mapped = bytes + hugePage;
    void *memory =
        mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return {};
    // Huge pages need an aligned start; the slack before it is never written.
    const auto start = (reinterpret_cast<uintptr_t>(memory) + hugePage - 1) & ~(hugePage - 1);
    madvise(reinterpret_cast<void *>(start), bytes / hugePage * hugePage, MADV_HUGEPAGE);
    struct Mapping {
        void *address;
        size_t bytes;
    };
    return QImage(
        reinterpret_cast<uchar *>(start), size.width(), size.height(), stride, format,
        [](void *info) {
            std::unique_ptr<Mapping> mapping(static_cast<Mapping *>(info));
            munmap(mapping->address, mapping->bytes);
        },
        new Mapping{memory, mapped});
}
