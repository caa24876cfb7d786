#pragma once

#include <qwindowdefs.h>

#include <memory>
#include <optional>

// Which window of the desktop has the keyboard, and handing it to another application's window.
// This is how the application gives the focus back after a dialog or a pick. Main thread only.
class WindowFocus {
public:
    virtual ~WindowFocus() = default;

    // The active window: the window manager's, else the one holding the X input focus; nothing
    // when no window has it.
    virtual std::optional<WId> activeWindow() const = 0;
    // Raises the window and gives it the keyboard (through the window manager when one runs).
    virtual void activate(WId window) = 0;

    // The implementation of PlatformBackend::kind(); the null one knows no window.
    static std::unique_ptr<WindowFocus> createDefault();
};
