#pragma once

#include <Qt>

#include <functional>
#include <memory>
#include <optional>

// Key presses the recorder must see that do not reach the application as Qt key events: where the
// application holds a global shortcut, the window system delivers that combination to the grab,
// not to the focused window.
class RecorderKeySource {
public:
    using Handler = std::function<void(std::optional<quint32> keyCode,
                                       Qt::KeyboardModifiers modifiers, bool modifierKey)>;

    virtual ~RecorderKeySource() = default;

    // The source of PlatformBackend::kind(), installed at once and removed when destroyed; null
    // where Qt's key events are all there is.
    static std::unique_ptr<RecorderKeySource> create(Handler handler);
};
