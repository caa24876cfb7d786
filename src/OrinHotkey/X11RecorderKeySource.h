#pragma once

#include <QAbstractNativeEventFilter>
#include <Qt>

#include <functional>
#include <memory>
#include <optional>

// While the recorder listens, takes the key presses that reach the application through its own
// global shortcut grabs (they arrive on the root window, not on a window of the application) so
// the shortcut does not fire and can be recorded again. Only while a window of the application
// has the focus: otherwise the shortcut works as usual.
class X11RecorderKeySource final : public QAbstractNativeEventFilter {
public:
    using Handler = std::function<void(std::optional<quint32> keyCode,
                                       Qt::KeyboardModifiers modifiers, bool modifierKey)>;

    // Null unless the application runs on X11. Installed at once; removed when destroyed.
    static std::unique_ptr<X11RecorderKeySource> create(Handler handler);
    ~X11RecorderKeySource() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    explicit X11RecorderKeySource(Handler handler);

    Handler m_handler;
};
