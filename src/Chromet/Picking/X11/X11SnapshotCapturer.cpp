#include "Chromet/Picking/X11/X11SnapshotCapturer.h"

#include "OrinX11/X11Connection.h"

#include "Chromet/Logging/Logging.h"

#include <QColorSpace>
#include <QGuiApplication>
#include <QHash>
#include <QScreen>
#include <QtConcurrent/QtConcurrentMap>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/randr.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

namespace {

// One screen to capture, read from Qt on the main thread.
struct Target {
    int index = 0; // position in the screen list
    QString name;
    QRectF frame;      // logical geometry
    QRect nativeGuess; // root pixels implied by Qt's geometry and device pixel ratio
    QRectF area;       // the part to read (logical, global); null for all of it
};

struct Outcome {
    ScreenSnapshot snapshot;
    QString error;
};

QString errorName(uint8_t code) {
    static const char *const names[] = {
        "Success",   "BadRequest", "BadValue",    "BadWindow",   "BadPixmap", "BadAtom",
        "BadCursor", "BadFont",    "BadMatch",    "BadDrawable", "BadAccess", "BadAlloc",
        "BadColor",  "BadGC",      "BadIDChoice", "BadName",     "BadLength", "BadImplementation"};
    if (code < std::size(names))
        return QString::fromLatin1(names[code]);
    return QStringLiteral("error %1").arg(code);
}

QString xError(const xcb_generic_error_t *error, const char *request) {
    return QStringLiteral("X server refused %1: %2 (code %3, resource 0x%4)")
        .arg(QLatin1String(request), errorName(error->error_code))
        .arg(error->error_code)
        .arg(error->resource_id, 0, 16);
}

QString connectionError(xcb_connection_t *connection) {
    return QStringLiteral("the X connection is broken (xcb error %1)")
        .arg(xcb_connection_has_error(connection));
}

using OrinX11::qtConnection;

// The root window pixels under a screen as Qt describes it: Qt keeps a screen's native origin
// and scales only its size.
QRect nativeArea(const QScreen *screen) {
    const QRect geometry = screen->geometry();
    return QRect(geometry.topLeft(),
                 (QSizeF(geometry.size()) * screen->devicePixelRatio()).toSize());
}

bool sharedMemoryDisabledByEnvironment() {
    const QByteArray value = qgetenv("CHROMET_CAPTURE_NO_SHM");
    return !value.isEmpty() && value != "0";
}

} // namespace

// Everything a capture needs from the X server, shared by the worker threads. The connection is
// Qt's; xcb serialises requests on it, and each capture in flight has a shared-memory segment of
// its own. Segments are lent to the images they hold and come back when the image is released.
class X11CaptureBackend : public std::enable_shared_from_this<X11CaptureBackend> {
public:
    X11CaptureBackend(xcb_connection_t *connection, bool allowSharedMemory);
    ~X11CaptureBackend();

    Outcome capture(const Target &target);
    void warmUp(const QList<QRect> &areas);
    bool usesSharedMemory();
    void releaseSpares();
    int spareCount();
    QRect lastArea();

private:
    struct Segment {
        xcb_shm_seg_t id = 0;
        int shmid = -1;
        uchar *address = nullptr;
        size_t size = 0;
    };
    struct Loan {
        std::weak_ptr<X11CaptureBackend> owner;
        Segment segment;
    };
    struct Monitor {
        xcb_atom_t name = XCB_NONE;
        QString nameText;
        QRect rect;
        int index = 0;
    };

    QString initialise();
    QString initialiseLocked();
    qsizetype bytesPerLine(int width) const;
    QImage grab(const QRect &rect, QString *error);
    QImage grabShared(const QRect &rect, QString *error);
    QImage grabPlain(const QRect &rect, QString *error);
    std::optional<Segment> acquire(size_t bytes, QString *error);
    void giveBack(const Segment &segment);
    void destroySegment(const Segment &segment, bool detachFromServer);
    static void returnLoan(void *info);
    QList<Monitor> monitors(QString *error);
    QColorSpace profile(int monitorIndex);
    bool connectionAlive() const;

    xcb_connection_t *const m_connection;
    const bool m_allowSharedMemory;

    std::mutex m_initMutex;
    bool m_initialised = false;
    QString m_initError;
    xcb_window_t m_root = XCB_NONE;
    QImage::Format m_format = QImage::Format_Invalid;
    int m_bitsPerPixel = 0;
    int m_scanlinePad = 32;
    bool m_hasMonitors = false;
    std::atomic<bool> m_sharedMemory{false};

    std::mutex m_segmentMutex;
    std::vector<Segment> m_freeSegments;
    QRect m_lastArea; // of the last partial read
    std::vector<Segment> m_lentSegments;

    std::mutex m_cacheMutex;
    QHash<xcb_atom_t, QString> m_atomNames;
    QHash<int, xcb_atom_t> m_profileAtoms;
    QHash<int, std::pair<QByteArray, QColorSpace>> m_profiles;
    bool m_warnedProfile = false;
};

X11CaptureBackend::X11CaptureBackend(xcb_connection_t *connection, bool allowSharedMemory)
    : m_connection(connection)
    , m_allowSharedMemory(allowSharedMemory) {
}

X11CaptureBackend::~X11CaptureBackend() {
    // Images still holding a segment unmap it themselves when they go; the server forgets the
    // segments now, or with the connection if Qt has already closed it.
    const bool detach = connectionAlive();
    std::lock_guard lock(m_segmentMutex);
    for (const Segment &segment : m_freeSegments)
        destroySegment(segment, detach);
    if (detach) {
        for (const Segment &segment : m_lentSegments)
            xcb_discard_reply(m_connection,
                              xcb_shm_detach_checked(m_connection, segment.id).sequence);
        xcb_flush(m_connection);
    }
}

bool X11CaptureBackend::connectionAlive() const {
    return m_connection && qtConnection() == m_connection &&
           !xcb_connection_has_error(m_connection);
}

QString X11CaptureBackend::initialise() {
    std::lock_guard lock(m_initMutex);
    if (!m_initialised) {
        m_initError = initialiseLocked();
        m_initialised = true;
    }
    return m_initError;
}

QString X11CaptureBackend::initialiseLocked() {
    if (!m_connection)
        return QStringLiteral("Qt is not connected to an X server");
    if (xcb_connection_has_error(m_connection))
        return connectionError(m_connection);
    const xcb_setup_t *setup = xcb_get_setup(m_connection);

    // Qt opens the screen DISPLAY names; its root is the desktop the QScreens live on.
    int screenNumber = 0;
    char *host = nullptr;
    int display = 0;
    if (!xcb_parse_display(nullptr, &host, &display, &screenNumber))
        screenNumber = 0;
    std::free(host);
    xcb_screen_iterator_t roots = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && roots.rem; ++i)
        xcb_screen_next(&roots);
    if (!roots.rem)
        return QStringLiteral("the X server has no screen %1").arg(screenNumber);
    const xcb_screen_t *screen = roots.data;
    m_root = screen->root;

    const xcb_visualtype_t *visual = nullptr;
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem && !visual;
         xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->visual_id == screen->root_visual) {
                visual = visuals.data;
                break;
            }
        }
    }
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem;
         xcb_format_next(&formats)) {
        if (formats.data->depth == screen->root_depth) {
            m_bitsPerPixel = formats.data->bits_per_pixel;
            m_scanlinePad = formats.data->scanline_pad;
        }
    }
    if (!visual || m_bitsPerPixel == 0)
        return QStringLiteral("the X server describes no format for its root window");

    const bool hostOrder = (setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) ==
                           (QSysInfo::ByteOrder == QSysInfo::LittleEndian);
    const auto masks = std::tuple(visual->red_mask, visual->green_mask, visual->blue_mask);
    const int depth = screen->root_depth;
    if (hostOrder && m_bitsPerPixel == 32 && masks == std::tuple(0xff0000u, 0xff00u, 0xffu))
        m_format = depth == 32 ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    else if (hostOrder && m_bitsPerPixel == 32 && depth == 30 &&
             masks == std::tuple(0x3ff00000u, 0xffc00u, 0x3ffu))
        m_format = QImage::Format_RGB30;
    else if (hostOrder && m_bitsPerPixel == 16 && masks == std::tuple(0xf800u, 0x7e0u, 0x1fu))
        m_format = QImage::Format_RGB16;
    else
        return QStringLiteral("unsupported root window format: depth %1, %2 bits per pixel")
            .arg(depth)
            .arg(m_bitsPerPixel);

    const xcb_query_extension_reply_t *randr = xcb_get_extension_data(m_connection, &xcb_randr_id);
    if (randr && randr->present) {
        XcbReply<xcb_randr_query_version_reply_t> version(xcb_randr_query_version_reply(
            m_connection, xcb_randr_query_version(m_connection, 1, 5), nullptr));
        m_hasMonitors = version && (version->major_version > 1 ||
                                    (version->major_version == 1 && version->minor_version >= 5));
    }

    if (m_allowSharedMemory) {
        const xcb_query_extension_reply_t *shm = xcb_get_extension_data(m_connection, &xcb_shm_id);
        if (shm && shm->present) {
            XcbReply<xcb_shm_query_version_reply_t> version(xcb_shm_query_version_reply(
                m_connection, xcb_shm_query_version(m_connection), nullptr));
            m_sharedMemory = bool(version);
        }
        if (!m_sharedMemory)
            qCInfo(lcChromet, "Chromet: the X server offers no shared memory; capturing through "
                              "GetImage");
    }
    return {};
}

bool X11CaptureBackend::usesSharedMemory() {
    initialise();
    return m_sharedMemory;
}

qsizetype X11CaptureBackend::bytesPerLine(int width) const {
    const qsizetype bits = qsizetype(width) * m_bitsPerPixel;
    return (bits + m_scanlinePad - 1) / m_scanlinePad * m_scanlinePad / 8;
}

void X11CaptureBackend::warmUp(const QList<QRect> &areas) {
    if (!initialise().isEmpty())
        return;
    QString ignored;
    monitors(&ignored); // learns the monitor names
    if (!m_sharedMemory)
        return;
    std::vector<Segment> prepared;
    for (const QRect &area : areas) {
        QString error;
        const auto segment = acquire(size_t(bytesPerLine(area.width())) * area.height(), &error);
        if (!segment)
            break;
        prepared.push_back(*segment);
        // One real transfer makes the server fault its mapping of the segment in now rather
        // than during the first pick; that is most of a cold capture's time.
        std::free(xcb_shm_get_image_reply(
            m_connection,
            xcb_shm_get_image(m_connection, m_root, int16_t(area.x()), int16_t(area.y()),
                              uint16_t(area.width()), uint16_t(area.height()), ~0u,
                              XCB_IMAGE_FORMAT_Z_PIXMAP, segment->id, 0),
            nullptr));
        // Reading it here does the same for our own mapping.
        for (size_t at = 0; at < segment->size; at += 4096)
            static_cast<void>(*static_cast<volatile const uchar *>(segment->address + at));
    }
    for (const Segment &segment : prepared)
        giveBack(segment);
}

void X11CaptureBackend::releaseSpares() {
    std::lock_guard lock(m_segmentMutex);
    if (m_freeSegments.empty())
        return;
    const bool detach = connectionAlive();
    for (const Segment &segment : m_freeSegments)
        destroySegment(segment, detach);
    m_freeSegments.clear();
    if (detach)
        xcb_flush(m_connection);
}

QRect X11CaptureBackend::lastArea() {
    std::lock_guard lock(m_segmentMutex);
    return m_lastArea;
}

int X11CaptureBackend::spareCount() {
    std::lock_guard lock(m_segmentMutex);
    return int(m_freeSegments.size());
}

std::optional<X11CaptureBackend::Segment> X11CaptureBackend::acquire(size_t bytes, QString *error) {
    {
        std::lock_guard lock(m_segmentMutex);
        auto best = m_freeSegments.end();
        for (auto it = m_freeSegments.begin(); it != m_freeSegments.end(); ++it) {
            if (it->size >= bytes && (best == m_freeSegments.end() || it->size < best->size))
                best = it;
        }
        if (best != m_freeSegments.end()) {
            const Segment segment = *best;
            m_freeSegments.erase(best);
            m_lentSegments.push_back(segment);
            return segment;
        }
    }

    Segment segment;
    segment.size = bytes;
    segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (segment.shmid < 0) {
        *error = QStringLiteral("cannot create shared memory: %1")
                     .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    void *address = shmat(segment.shmid, nullptr, 0);
    if (address == reinterpret_cast<void *>(-1)) {
        *error = QStringLiteral("cannot map shared memory: %1")
                     .arg(QString::fromLocal8Bit(std::strerror(errno)));
        shmctl(segment.shmid, IPC_RMID, nullptr);
        return std::nullopt;
    }
    segment.address = static_cast<uchar *>(address);
    segment.id = xcb_generate_id(m_connection);
    XcbReply<xcb_generic_error_t> attachError(xcb_request_check(
        m_connection, xcb_shm_attach_checked(m_connection, segment.id, segment.shmid, 0)));
    // Marked for removal now, the segment disappears with its last user, even after a crash.
    shmctl(segment.shmid, IPC_RMID, nullptr);
    if (attachError) {
        *error = xError(attachError.get(), "ShmAttach");
        shmdt(segment.address);
        return std::nullopt;
    }
    std::lock_guard lock(m_segmentMutex);
    m_lentSegments.push_back(segment);
    return segment;
}

void X11CaptureBackend::giveBack(const Segment &segment) {
    std::lock_guard lock(m_segmentMutex);
    std::erase_if(m_lentSegments, [&](const Segment &s) { return s.id == segment.id; });
    // A few spares cover every display of a pick; more would only hold memory.
    constexpr size_t kSpareSegments = 4;
    if (m_freeSegments.size() >= kSpareSegments) {
        destroySegment(segment, connectionAlive());
        return;
    }
    m_freeSegments.push_back(segment);
}

void X11CaptureBackend::destroySegment(const Segment &segment, bool detachFromServer) {
    if (detachFromServer)
        xcb_discard_reply(m_connection, xcb_shm_detach_checked(m_connection, segment.id).sequence);
    shmdt(segment.address);
}

void X11CaptureBackend::returnLoan(void *info) {
    std::unique_ptr<Loan> loan(static_cast<Loan *>(info));
    if (const auto owner = loan->owner.lock())
        owner->giveBack(loan->segment);
    else
        shmdt(loan->segment.address);
}

QImage X11CaptureBackend::grab(const QRect &rect, QString *error) {
    if (m_sharedMemory) {
        QImage image = grabShared(rect, error);
        // Null without an error: shared memory has just proved unusable, so use GetImage.
        if (!image.isNull() || !error->isEmpty())
            return image;
    }
    return grabPlain(rect, error);
}

QImage X11CaptureBackend::grabShared(const QRect &rect, QString *error) {
    const qsizetype stride = bytesPerLine(rect.width());
    const size_t bytes = size_t(stride) * size_t(rect.height());
    const std::optional<Segment> segment = acquire(bytes, error);
    if (!segment) {
        // A server that cannot attach our memory (another host, another user) still answers
        // GetImage.
        if (m_sharedMemory.exchange(false))
            qCWarning(lcChromet).noquote()
                << "Chromet: shared memory capture failed, using GetImage:" << *error;
        error->clear();
        return {};
    }
    xcb_generic_error_t *rawError = nullptr;
    XcbReply<xcb_shm_get_image_reply_t> reply(xcb_shm_get_image_reply(
        m_connection,
        xcb_shm_get_image(m_connection, m_root, int16_t(rect.x()), int16_t(rect.y()),
                          uint16_t(rect.width()), uint16_t(rect.height()), ~0u,
                          XCB_IMAGE_FORMAT_Z_PIXMAP, segment->id, 0),
        &rawError));
    XcbReply<xcb_generic_error_t> replyError(rawError);
    if (!reply || reply->size < bytes) {
        giveBack(*segment);
        *error = replyError ? xError(replyError.get(), "ShmGetImage")
                 : reply    ? QStringLiteral("ShmGetImage returned too few bytes")
                            : connectionError(m_connection);
        return {};
    }
    auto *loan = new Loan{weak_from_this(), *segment};
    return QImage(segment->address, rect.width(), rect.height(), stride, m_format,
                  &X11CaptureBackend::returnLoan, loan);
}

QImage X11CaptureBackend::grabPlain(const QRect &rect, QString *error) {
    xcb_generic_error_t *rawError = nullptr;
    xcb_get_image_reply_t *reply = xcb_get_image_reply(
        m_connection,
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, int16_t(rect.x()),
                      int16_t(rect.y()), uint16_t(rect.width()), uint16_t(rect.height()), ~0u),
        &rawError);
    XcbReply<xcb_generic_error_t> replyError(rawError);
    if (!reply) {
        *error = replyError ? xError(replyError.get(), "GetImage") : connectionError(m_connection);
        return {};
    }
    const qsizetype stride = bytesPerLine(rect.width());
    if (xcb_get_image_data_length(reply) < stride * rect.height()) {
        std::free(reply);
        *error = QStringLiteral("GetImage returned too few bytes");
        return {};
    }
    // The reply buffer becomes the image's memory.
    return QImage(
        xcb_get_image_data(reply), rect.width(), rect.height(), stride, m_format,
        [](void *info) { std::free(info); }, reply);
}

QList<X11CaptureBackend::Monitor> X11CaptureBackend::monitors(QString *error) {
    QList<Monitor> result;
    if (!m_hasMonitors)
        return result;
    xcb_generic_error_t *rawError = nullptr;
    XcbReply<xcb_randr_get_monitors_reply_t> reply(xcb_randr_get_monitors_reply(
        m_connection, xcb_randr_get_monitors(m_connection, m_root, 1), &rawError));
    XcbReply<xcb_generic_error_t> replyError(rawError);
    if (!reply) {
        *error =
            replyError ? xError(replyError.get(), "RRGetMonitors") : connectionError(m_connection);
        return result;
    }
    int index = 0;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem;
         xcb_randr_monitor_info_next(&it)) {
        const xcb_randr_monitor_info_t *info = it.data;
        result.append(
            Monitor{info->name, {}, QRect(info->x, info->y, info->width, info->height), index++});
    }

    // Monitor names are atoms; look up the ones not seen before in one round of requests.
    std::lock_guard lock(m_cacheMutex);
    std::vector<std::pair<xcb_atom_t, xcb_get_atom_name_cookie_t>> pending;
    for (const Monitor &monitor : std::as_const(result)) {
        if (monitor.name != XCB_NONE && !m_atomNames.contains(monitor.name))
            pending.emplace_back(monitor.name, xcb_get_atom_name(m_connection, monitor.name));
    }
    for (const auto &[atom, cookie] : pending) {
        XcbReply<xcb_get_atom_name_reply_t> name(
            xcb_get_atom_name_reply(m_connection, cookie, nullptr));
        if (name)
            m_atomNames.insert(atom, QString::fromUtf8(xcb_get_atom_name_name(name.get()),
                                                       xcb_get_atom_name_name_length(name.get())));
    }
    for (Monitor &monitor : result)
        monitor.nameText = m_atomNames.value(monitor.name);
    return result;
}

QColorSpace X11CaptureBackend::profile(int monitorIndex) {
    const QColorSpace srgb(QColorSpace::SRgb);
    xcb_atom_t atom = XCB_NONE;
    {
        std::lock_guard lock(m_cacheMutex);
        atom = m_profileAtoms.value(monitorIndex, XCB_NONE);
    }
    if (atom == XCB_NONE) {
        // Color managers publish the first monitor's profile as _ICC_PROFILE and the others'
        // as _ICC_PROFILE_1, _ICC_PROFILE_2, ...
        const QByteArray name = monitorIndex == 0
                                    ? QByteArrayLiteral("_ICC_PROFILE")
                                    : "_ICC_PROFILE_" + QByteArray::number(monitorIndex);
        atom = OrinX11::atom(m_connection, name);
        if (atom == XCB_NONE)
            return srgb; // never published on this server
        std::lock_guard lock(m_cacheMutex);
        m_profileAtoms.insert(monitorIndex, atom);
    }

    constexpr uint32_t kMaxProfileWords = 16 * 1024 * 1024 / 4;
    XcbReply<xcb_get_property_reply_t> property(
        xcb_get_property_reply(m_connection,
                               xcb_get_property(m_connection, 0, m_root, atom,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxProfileWords),
                               nullptr));
    if (!property || property->format != 8 || property->bytes_after != 0)
        return srgb;
    const QByteArray bytes(static_cast<const char *>(xcb_get_property_value(property.get())),
                           xcb_get_property_value_length(property.get()));
    if (bytes.isEmpty())
        return srgb;

    std::lock_guard lock(m_cacheMutex);
    auto cached = m_profiles.constFind(monitorIndex);
    if (cached != m_profiles.cend() && cached->first == bytes)
        return cached->second;
    QColorSpace space = QColorSpace::fromIccProfile(bytes);
    if (!space.isValid()) {
        if (!m_warnedProfile)
            qCWarning(lcChromet, "Chromet: cannot read the display's ICC profile; taking the "
                                 "display as sRGB");
        m_warnedProfile = true;
        space = srgb;
    }
    m_profiles.insert(monitorIndex, {bytes, space});
    return space;
}

Outcome X11CaptureBackend::capture(const Target &target) {
    Outcome outcome;
    outcome.error = initialise();
    if (!outcome.error.isEmpty())
        return outcome;

    // The RandR monitor behind the screen: by name as Qt reports it, else by position.
    const QList<Monitor> all = monitors(&outcome.error);
    if (!outcome.error.isEmpty())
        return outcome;
    const Monitor *monitor = nullptr;
    for (const Monitor &m : all) {
        if (!target.name.isEmpty() && m.nameText == target.name) {
            monitor = &m;
            break;
        }
    }
    for (const Monitor &m : all) {
        if (!monitor && m.rect == target.nativeGuess)
            monitor = &m;
    }
    const QRect rect = monitor ? monitor->rect : target.nativeGuess;
    if (rect.isEmpty()) {
        outcome.error = QStringLiteral("screen %1 has no area").arg(target.name);
        return outcome;
    }
    // Only part of it: read that alone.
    QRect part = rect;
    if (!target.area.isNull() && target.frame.width() > 0) {
        const double scale = rect.width() / target.frame.width();
        const QRectF local = target.area.translated(-target.frame.topLeft());
        part = QRect(QPoint(int(std::floor(local.left() * scale)),
                            int(std::floor(local.top() * scale))),
                     QPoint(int(std::ceil(local.right() * scale)) - 1,
                            int(std::ceil(local.bottom() * scale)) - 1))
                   .translated(rect.topLeft()) &
               rect;
    }

    if (part != rect) {
        std::lock_guard lock(m_segmentMutex);
        m_lastArea = part;
    }
    QImage image = grab(part, &outcome.error);
    if (part != rect) {
        outcome.snapshot.captured = part.translated(-rect.topLeft());
        outcome.snapshot.displayPixels = rect.size();
    }
    if (image.isNull()) {
        if (outcome.error.isEmpty())
            outcome.error = QStringLiteral("capturing screen %1 failed").arg(target.name);
        return outcome;
    }
    const int monitorIndex = monitor ? monitor->index : target.index;
    image.setColorSpace(profile(monitorIndex));

    outcome.snapshot.displayID =
        monitor && monitor->name != XCB_NONE ? quint32(monitor->name) : quint32(target.index + 1);
    outcome.snapshot.screenName = target.name;
    outcome.snapshot.frame = target.frame;
    outcome.snapshot.image = std::move(image);
    return outcome;
}

// ---------------------------------------------------------------------------------------------

X11SnapshotCapturer::X11SnapshotCapturer(Transfer transfer) {
    // Without an X connection (see isAvailable) every capture fails with the reason.
    xcb_connection_t *connection = qtConnection();
    const bool sharedMemory =
        transfer == Transfer::Automatic && !sharedMemoryDisabledByEnvironment();
    m_backend = std::make_shared<X11CaptureBackend>(connection, sharedMemory);
    m_pool.setObjectName(QStringLiteral("Chromet capture"));
}

X11SnapshotCapturer::~X11SnapshotCapturer() {
    m_pool.waitForDone();
}

bool X11SnapshotCapturer::isAvailable() {
    return qtConnection() != nullptr;
}

bool X11SnapshotCapturer::usesSharedMemory() const {
    return m_backend->usesSharedMemory();
}

void X11SnapshotCapturer::warmUp() {
    QList<QRect> areas;
    for (QScreen *screen : QGuiApplication::screens())
        areas.append(nativeArea(screen));
    m_pool.start([backend = m_backend, areas] { backend->warmUp(areas); });
}

void X11SnapshotCapturer::releaseMemory() {
    m_backend->releaseSpares();
    // A pick's first read is small: a segment for it, faulted in on both sides now, costs little
    // and spares that read an attach and a fault for every page. Made here, while idle: a pool
    // thread would wake the process again when it expires.
    const QRect area = m_backend->lastArea();
    if (!area.isEmpty())
        m_backend->warmUp({area});
}

int X11SnapshotCapturer::spareSegmentCount() const {
    return m_backend->spareCount();
}

void X11SnapshotCapturer::captureDisplay(const QPointF &global, QObject *context, Completion done) {
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        if (frameContains(QRectF(screen->geometry()), global)) {
            capture({screen}, context, std::move(done));
            return;
        }
    }
    capture({}, context, std::move(done));
}

void X11SnapshotCapturer::captureArea(const QPointF &global, const QSizeF &size, QObject *context,
                                      Completion done) {
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        const QRectF frame(screen->geometry());
        if (frameContains(frame, global)) {
            // Around the point, moved inside the display where it would reach past an edge.
            QRectF area(QPointF(), size.boundedTo(frame.size()));
            area.moveCenter(global);
            area.moveLeft(std::clamp(area.left(), frame.left(), frame.right() - area.width()));
            area.moveTop(std::clamp(area.top(), frame.top(), frame.bottom() - area.height()));
            capture({screen}, context, std::move(done), area);
            return;
        }
    }
    capture({}, context, std::move(done));
}

void X11SnapshotCapturer::captureAllDisplays(QObject *context, Completion done) {
    capture(QGuiApplication::screens(), context, std::move(done));
}

void X11SnapshotCapturer::capture(const QList<QScreen *> &screens, QObject *context,
                                  Completion done, const QRectF &area) {
    if (screens.isEmpty()) {
        deliverCaptureResult(QtFuture::makeReadyFuture(CaptureResult{}), context, std::move(done));
        return;
    }
    const QList<QScreen *> all = QGuiApplication::screens();
    QList<Target> targets;
    for (QScreen *screen : screens) {
        Target target;
        target.index = int(all.indexOf(screen));
        target.name = screen->name();
        target.frame = QRectF(screen->geometry());
        target.nativeGuess = nativeArea(screen);
        target.area = area;
        targets.append(target);
    }

    auto backend = m_backend;
    QFuture<CaptureResult> result =
        QtConcurrent::mapped(&m_pool, targets, [backend](const Target &target) {
            return backend->capture(target);
        }).then([](QFuture<Outcome> outcomes) {
            // results() keeps the order of the targets, whichever finished first.
            CaptureResult gathered;
            for (const Outcome &outcome : outcomes.results()) {
                if (!outcome.error.isEmpty()) {
                    gathered.snapshots.clear();
                    gathered.error = outcome.error;
                    break;
                }
                gathered.snapshots.append(outcome.snapshot);
            }
            return gathered;
        });
    deliverCaptureResult(result, context, std::move(done));
}
