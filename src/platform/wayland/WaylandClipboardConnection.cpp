#include "WaylandClipboardConnection.h"

#include "WaylandRegistry.h"
#include "wlr-data-control-unstable-v1-client.h"

#include <QCoreApplication>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>
#include <wayland-client.h>

using namespace Qt::StringLiterals;

namespace {

// How long a paste may take to take our data before it is cut off.
constexpr int sendBudgetMs = 2000;

// Waits until `fd` is ready for `events` or the time is up.
bool waitFor(int fd, short events, int milliseconds) {
    pollfd ready{fd, events, 0};
    int result;
    do {
        result = ::poll(&ready, 1, milliseconds);
    } while (result < 0 && errno == EINTR);
    return result > 0;
}

// Writes to a pipe whose reader may have gone: the write fails with EPIPE
// instead of ending the process with SIGPIPE, which is blocked for this
// thread meanwhile and discarded if it came.
ssize_t writeToPipe(int fd, const char* data, size_t size) {
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    const ssize_t count = ::write(fd, data, size);
    if (count < 0 && errno == EPIPE) {
        const timespec now{0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &now) < 0 && errno == EINTR) {
        }
        errno = EPIPE;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return count;
}

} // namespace

std::unique_ptr<WaylandClipboardConnection> WaylandClipboardConnection::connect() {
    std::unique_ptr<WaylandClipboardConnection> connection(new WaylandClipboardConnection);
    connection->m_ownershipType = ownershipType();
    connection->m_display = wl_display_connect(nullptr);
    if (!connection->m_display || !connection->bind())
        return nullptr;
    return connection;
}

WaylandClipboardConnection::~WaylandClipboardConnection() {
    if (m_source)
        zwlr_data_control_source_v1_destroy(m_source);
    for (zwlr_data_control_offer_v1* offer : m_offers.keys())
        zwlr_data_control_offer_v1_destroy(offer);
    if (m_device)
        zwlr_data_control_device_v1_destroy(m_device);
    if (m_manager)
        zwlr_data_control_manager_v1_destroy(m_manager);
    if (m_seat)
        wl_seat_destroy(m_seat);
    if (m_display)
        wl_display_disconnect(m_display);
}

// The seat and the manager, then the seat's clipboard device, whose first
// events name the current selection.
bool WaylandClipboardConnection::bind() {
    if (!WaylandRegistry::read(
            m_display,
            {WaylandRegistry::bind(m_seat, wl_seat_interface, 1),
             WaylandRegistry::bind(m_manager, zwlr_data_control_manager_v1_interface, 2)}) ||
        !m_seat || !m_manager)
        return false;
    static const zwlr_data_control_device_v1_listener deviceListener{
        &WaylandClipboardConnection::dataOffer, &WaylandClipboardConnection::selection,
        &WaylandClipboardConnection::finished, &WaylandClipboardConnection::primarySelection};
    m_device = zwlr_data_control_manager_v1_get_data_device(m_manager, m_seat);
    zwlr_data_control_device_v1_add_listener(m_device, &deviceListener, this);
    return wl_display_roundtrip(m_display) >= 0;
}

void WaylandClipboardConnection::dataOffer(void* data, zwlr_data_control_device_v1*,
                                           zwlr_data_control_offer_v1* offer) {
    static const zwlr_data_control_offer_v1_listener offerListener{
        &WaylandClipboardConnection::offerType};
    auto* self = static_cast<WaylandClipboardConnection*>(data);
    self->m_offers.insert(offer, {});
    zwlr_data_control_offer_v1_add_listener(offer, &offerListener, self);
}

void WaylandClipboardConnection::offerType(void* data, zwlr_data_control_offer_v1* offer,
                                           const char* mimeType) {
    auto* self = static_cast<WaylandClipboardConnection*>(data);
    const auto types = self->m_offers.find(offer);
    if (types != self->m_offers.end())
        types->append(QString::fromUtf8(mimeType));
}

// A new selection replaces the previous one, whose offer is let go of.
void WaylandClipboardConnection::selection(void* data, zwlr_data_control_device_v1*,
                                           zwlr_data_control_offer_v1* offer) {
    auto* self = static_cast<WaylandClipboardConnection*>(data);
    if (self->m_selection && self->m_selection != offer)
        self->forget(self->m_selection);
    self->m_selection = offer;
    ++self->m_changeCount;
}

// The primary selection (the middle-click one) is not the clipboard.
void WaylandClipboardConnection::primarySelection(void* data, zwlr_data_control_device_v1*,
                                                  zwlr_data_control_offer_v1* offer) {
    auto* self = static_cast<WaylandClipboardConnection*>(data);
    if (offer && offer != self->m_selection)
        self->forget(offer);
}

void WaylandClipboardConnection::finished(void* data, zwlr_data_control_device_v1*) {
    auto* self = static_cast<WaylandClipboardConnection*>(data);
    if (self->m_selection)
        self->forget(self->m_selection);
    self->m_selection = nullptr;
}

void WaylandClipboardConnection::forget(zwlr_data_control_offer_v1* offer) {
    if (m_offers.remove(offer))
        zwlr_data_control_offer_v1_destroy(offer);
}

int WaylandClipboardConnection::fileDescriptor() const {
    return wl_display_get_fd(m_display);
}

QStringList WaylandClipboardConnection::offeredTypes() const {
    return m_selection ? m_offers.value(m_selection) : QStringList();
}

bool WaylandClipboardConnection::dispatch(std::chrono::milliseconds timeout) {
    if (wl_display_dispatch_pending(m_display) < 0)
        return false;
    wl_display_flush(m_display);
    if (!waitForEvents(timeout))
        return wl_display_get_error(m_display) == 0;
    return wl_display_dispatch_pending(m_display) >= 0;
}

// Reads the connection's events into the queue, if any come in time.
bool WaylandClipboardConnection::waitForEvents(std::chrono::milliseconds timeout) {
    while (wl_display_prepare_read(m_display) != 0) {
        if (wl_display_dispatch_pending(m_display) < 0)
            return false;
    }
    if (!waitFor(wl_display_get_fd(m_display), POLLIN, int(timeout.count()))) {
        wl_display_cancel_read(m_display);
        return false;
    }
    return wl_display_read_events(m_display) == 0;
}

std::optional<QByteArray> WaylandClipboardConnection::read(const QString& type,
                                                           QDeadlineTimer deadline,
                                                           qint64 maximumBytes) {
    if (!m_selection || !offeredTypes().contains(type))
        return std::nullopt;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return std::nullopt;
    zwlr_data_control_offer_v1_receive(m_selection, type.toUtf8().constData(), ends[1]);
    ::close(ends[1]);
    wl_display_flush(m_display);
    QByteArray data;
    char chunk[65536];
    std::optional<QByteArray> result;
    while (!deadline.hasExpired()) {
        if (!waitFor(ends[0], POLLIN, int(qMax<qint64>(deadline.remainingTime(), 0))))
            break;
        const ssize_t count = ::read(ends[0], chunk, sizeof chunk);
        if (count == 0) {
            result = data;
            break;
        }
        if (count < 0 && errno != EAGAIN && errno != EINTR)
            break;
        if (count > 0)
            data.append(chunk, count);
        if (data.size() > maximumBytes)
            break;
    }
    ::close(ends[0]);
    return result;
}

void WaylandClipboardConnection::setSelection(const QList<Representation>& representations) {
    static const zwlr_data_control_source_v1_listener sourceListener{
        &WaylandClipboardConnection::sendData, &WaylandClipboardConnection::sourceCancelled};
    if (m_source)
        zwlr_data_control_source_v1_destroy(m_source);
    m_sourceData.clear();
    m_source = zwlr_data_control_manager_v1_create_data_source(m_manager);
    zwlr_data_control_source_v1_add_listener(m_source, &sourceListener, this);
    for (const Representation& representation : representations) {
        m_sourceData.insert(representation.type, representation.data);
        zwlr_data_control_source_v1_offer(m_source, representation.type.toUtf8().constData());
    }
    zwlr_data_control_source_v1_offer(m_source, m_ownershipType.toUtf8().constData());
    zwlr_data_control_device_v1_set_selection(m_device, m_source);
    wl_display_flush(m_display);
}

bool WaylandClipboardConnection::isOwnSelection() const {
    return offeredTypes().contains(m_ownershipType);
}

QString WaylandClipboardConnection::ownershipType() {
    return u"application/x-velloq-owner-%1"_s.arg(QCoreApplication::applicationPid());
}

// A paste asks for one type; the data goes down the pipe it gave, within a
// budget, so a paste target that stops reading cannot hold this thread.
void WaylandClipboardConnection::sendData(void* data, zwlr_data_control_source_v1*,
                                          const char* mimeType, int32_t fd) {
    auto* self = static_cast<WaylandClipboardConnection*>(data);
    const QByteArray content = self->m_sourceData.value(QString::fromUtf8(mimeType));
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    const QDeadlineTimer deadline(sendBudgetMs);
    qsizetype written = 0;
    while (written < content.size() && !deadline.hasExpired()) {
        const ssize_t count =
            writeToPipe(fd, content.constData() + written, size_t(content.size() - written));
        if (count > 0)
            written += count;
        else if (count < 0 && errno != EAGAIN && errno != EINTR)
            break;
        else
            waitFor(fd, POLLOUT, int(qMax<qint64>(deadline.remainingTime(), 0)));
    }
    ::close(fd);
}

void WaylandClipboardConnection::sourceCancelled(void* data, zwlr_data_control_source_v1* source) {
    auto* self = static_cast<WaylandClipboardConnection*>(data);
    zwlr_data_control_source_v1_destroy(source);
    if (self->m_source == source) {
        self->m_source = nullptr;
        self->m_sourceData.clear();
    }
}
