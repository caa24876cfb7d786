#pragma once

#include "OrinPaste/ClipboardOwner.h"

#include <QPointer>

class WaylandConnection;
struct zwlr_data_control_device_v1;
struct zwlr_data_control_source_v1;

// The clipboard through the compositor's data-control protocol: our offer needs no focused
// window, and every change is seen, whoever makes it.
class WaylandClipboardOwner final : public ClipboardOwner {
public:
    // Null where the compositor offers no data control.
    static std::unique_ptr<WaylandClipboardOwner> create();
    ~WaylandClipboardOwner() override;

    bool setText(const QString &text) override;
    bool ownsText() const override { return m_source != nullptr; }

private:
    WaylandClipboardOwner(WaylandConnection *connection, zwlr_data_control_device_v1 *device);
    void dropSource();

    // The connection may close first, at exit, taking our objects with it.
    QPointer<WaylandConnection> m_connection;
    zwlr_data_control_device_v1 *m_device;
    zwlr_data_control_source_v1 *m_source = nullptr;
    QByteArray m_text;
    // Our own offer comes back as a selection event, and is not a change by someone else.
    int m_ownSelectionsPending = 0;
};
