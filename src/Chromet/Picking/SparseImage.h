#pragma once

#include <QImage>
#include <QSize>

// A zeroed image in fresh anonymous memory, for display-sized images of which a pick writes only a
// part: pages that are never written cost no memory. The memory is asked to be backed by huge
// pages, because a small area spans one page per row, and a fault per row is most of the time of
// writing it where faults are dear (virtual machines, sandboxes). Null if the memory is not there.
QImage sparseImage(const QSize &size, QImage::Format format);
