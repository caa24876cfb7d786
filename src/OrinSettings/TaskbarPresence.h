#pragma once

#include <memory>

class QWindow;

// Whether a top-level window is listed in the desktop's taskbar and window switchers.
class TaskbarPresence {
public:
    virtual ~TaskbarPresence() = default;

    // `mapped` tells whether the window is already on screen (the window manager must be asked)
    // or about to be shown (the hint goes on the window before it appears).
    virtual void setListed(QWindow *window, bool listed, bool mapped) = 0;

    // The implementation of PlatformBackend::kind(); null where there is none, and windows stay
    // as the platform lists them.
    static std::unique_ptr<TaskbarPresence> createDefault();
};
