#pragma once

#include <QImage>
#include <QSize>

// A zeroed image in fresh anonymous memory, for display-sized images of which a pick writes only a
// part: pages that are never written cost no memory, and the memory goes back to the system as
// soon as the image does, rather than staying in the allocator. Null if the memory is not there.
QImage sparseImage(const QSize &size, QImage::Format format);
