#pragma once

#include "OrinHotkey/RecorderKeySource.h"

#include <QAbstractNativeEventFilter>

// While the recorder listens, takes the key presses that reach the application through its own
// global shortcut grabs (they arrive on the root window, not on a window of the application) so
// the shortcut does not fire and can be recorded again. Only while a window of the application
// has the focus: otherwise the shortcut works as usual.
class X11RecorderKeySource final : public RecorderKeySource, public QAbstractNativeEventFilter {
public:
    // Null unless the application runs on X11. Installed at once; removed when destroyed.
    static std::unique_ptr<X11RecorderKeySource> create(Handler handler);
    ~X11RecorderKeySource() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    explicit X11RecorderKeySource(Handler handler);

    Handler m_handler;
};
