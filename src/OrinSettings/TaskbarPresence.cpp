#include "OrinSettings/TaskbarPresence.h"

#include "OrinSettings/X11TaskbarPresence.h"

std::unique_ptr<TaskbarPresence> TaskbarPresence::createDefault() {
    return X11TaskbarPresence::create();
}
