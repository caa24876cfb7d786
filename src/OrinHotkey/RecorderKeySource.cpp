#include "OrinHotkey/RecorderKeySource.h"

#include "OrinPlatform/PlatformBackend.h"

#ifndef ORIN_NO_X11
#include "OrinHotkey/X11/X11RecorderKeySource.h"
#endif

std::unique_ptr<RecorderKeySource> RecorderKeySource::create(Handler handler) {
#ifndef ORIN_NO_X11
    if (PlatformBackend::kind() == PlatformBackend::Kind::X11)
        return X11RecorderKeySource::create(std::move(handler));
#else
    Q_UNUSED(handler)
#endif
    return nullptr;
}
