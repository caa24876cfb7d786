#pragma once

#include "OrinSettings/TaskbarPresence.h"

#include <QtGlobal>

struct xcb_connection_t;

// Lists windows through the EWMH states _NET_WM_STATE_SKIP_TASKBAR and _NET_WM_STATE_SKIP_PAGER:
// written into the property of a window about to be mapped (Qt keeps states it does not know
// when it maps the window), and requested from the window manager for a mapped one.
class X11TaskbarPresence final : public TaskbarPresence {
public:
    // Null unless the application runs on X11.
    static std::unique_ptr<X11TaskbarPresence> create();

    explicit X11TaskbarPresence(xcb_connection_t *connection);

    void setListed(QWindow *window, bool listed, bool mapped) override;

private:
    quint32 atom(const char *name) const;

    xcb_connection_t *m_connection = nullptr;
    quint32 m_state = 0;
    quint32 m_skipTaskbar = 0;
    quint32 m_skipPager = 0;
};
