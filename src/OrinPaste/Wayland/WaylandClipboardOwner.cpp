#include "OrinPaste/Wayland/WaylandClipboardOwner.h"
#include "OrinPaste/PasteLogging.h"

#include "OrinWayland/WaylandConnection.h"
#include "OrinWayland/wlr-data-control-unstable-v1-client.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// What text receivers ask for, the plain and the X11-era names.
const char *const textTypes[] = {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING", "STRING",
                                 "TEXT"};

// Hands the text to a receiver without blocking the event loop: a reader that stalls keeps its
// descriptor, not us.
void sendText(const QByteArray &text, int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Write);
    auto offset = std::make_shared<qsizetype>(0);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, text, fd, offset] {
        while (*offset < text.size()) {
            const ssize_t n = write(fd, text.constData() + *offset, size_t(text.size() - *offset));
            if (n > 0) {
                *offset += n;
                continue;
            }
            if (n < 0 && errno == EAGAIN)
                return; // the receiver reads on; the notifier calls again
            break;
        }
        notifier->setEnabled(false);
        notifier->deleteLater();
        close(fd);
    });
}

} // namespace

std::unique_ptr<WaylandClipboardOwner> WaylandClipboardOwner::create() {
    WaylandConnection *connection = WaylandConnection::instance();
    if (!connection || !connection->dataControl() || !connection->seat())
        return nullptr;
    zwlr_data_control_device_v1 *device =
        zwlr_data_control_manager_v1_get_data_device(connection->dataControl(), connection->seat());
    return std::unique_ptr<WaylandClipboardOwner>(new WaylandClipboardOwner(connection, device));
}

WaylandClipboardOwner::WaylandClipboardOwner(WaylandConnection *connection,
                                             zwlr_data_control_device_v1 *device)
    : m_connection(connection)
    , m_device(device) {
    static const zwlr_data_control_device_v1_listener listener = {
        .data_offer = [](void *, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *) {},
        .selection =
            [](void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer) {
                auto *self = static_cast<WaylandClipboardOwner *>(data);
                // Offers are only counted, never read.
                if (offer)
                    zwlr_data_control_offer_v1_destroy(offer);
                if (self->m_ownSelectionsPending > 0)
                    --self->m_ownSelectionsPending;
                else
                    Q_EMIT self->changedElsewhere();
            },
        .finished =
            [](void *data, zwlr_data_control_device_v1 *) {
                auto *self = static_cast<WaylandClipboardOwner *>(data);
                self->dropSource();
            },
        .primary_selection =
            [](void *, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer) {
                if (offer)
                    zwlr_data_control_offer_v1_destroy(offer);
            },
    };
    zwlr_data_control_device_v1_add_listener(m_device, &listener, this);
    // This owner lives to the end of the process, longer than the connection.
    connect(connection, &WaylandConnection::disconnecting, this, [this] {
        dropSource();
        zwlr_data_control_device_v1_destroy(m_device);
        m_connection = nullptr;
    });
    // The selection that holds now is announced at once; it is no change.
    ++m_ownSelectionsPending;
    connection->roundtrip();
}

WaylandClipboardOwner::~WaylandClipboardOwner() {
    if (!m_connection)
        return;
    dropSource();
    zwlr_data_control_device_v1_destroy(m_device);
}

bool WaylandClipboardOwner::setText(const QString &text) {
    static const zwlr_data_control_source_v1_listener listener = {
        .send =
            [](void *data, zwlr_data_control_source_v1 *, const char *, int32_t fd) {
                sendText(static_cast<WaylandClipboardOwner *>(data)->m_text, fd);
            },
        .cancelled =
            [](void *data, zwlr_data_control_source_v1 *source) {
                auto *self = static_cast<WaylandClipboardOwner *>(data);
                if (self->m_source == source)
                    self->dropSource();
                else
                    zwlr_data_control_source_v1_destroy(source);
            },
    };
    if (!m_connection || m_connection->hasFailed())
        return false;
    dropSource();
    m_text = text.toUtf8();
    m_source = zwlr_data_control_manager_v1_create_data_source(m_connection->dataControl());
    zwlr_data_control_source_v1_add_listener(m_source, &listener, this);
    for (const char *type : textTypes)
        zwlr_data_control_source_v1_offer(m_source, type);
    zwlr_data_control_device_v1_set_selection(m_device, m_source);
    ++m_ownSelectionsPending;
    m_connection->flush();
    return true;
}

void WaylandClipboardOwner::dropSource() {
    if (m_source)
        zwlr_data_control_source_v1_destroy(std::exchange(m_source, nullptr));
}
