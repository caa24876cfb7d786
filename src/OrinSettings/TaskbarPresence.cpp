#include "OrinSettings/TaskbarPresence.h"

#include "OrinPlatform/PlatformBackend.h"

#ifndef ORIN_NO_X11
#include "OrinSettings/X11/X11TaskbarPresence.h"
#endif

std::unique_ptr<TaskbarPresence> TaskbarPresence::createDefault() {
    switch (PlatformBackend::kind()) {
    case PlatformBackend::Kind::X11:
#ifndef ORIN_NO_X11
        return X11TaskbarPresence::create();
#else
        break;
#endif
    case PlatformBackend::Kind::Wayland:
    case PlatformBackend::Kind::Null:
        break;
    }
    return nullptr;
}
