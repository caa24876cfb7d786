#include "OrinSettings/TaskbarPresence.h"

#include "OrinPlatform/PlatformBackend.h"

#ifndef ORIN_NO_X11
#include "OrinSettings/X11/X11TaskbarPresence.h"
#endif

std::unique_ptr<TaskbarPresence> TaskbarPresence::createDefault() {
#ifndef ORIN_NO_X11
    if (PlatformBackend::kind() == PlatformBackend::Kind::X11)
        return X11TaskbarPresence::create();
#endif
    return nullptr;
}
