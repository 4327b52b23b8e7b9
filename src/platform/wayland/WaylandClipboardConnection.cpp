#include "WaylandClipboardConnection.h"

#include "WaylandRegistry.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>
#include <wayland-client.h>

using namespace Qt::StringLiterals;

namespace {

// How long a paste may take to take our data before it is cut off, and how
// many may be under way at once; any more are turned away.
constexpr int sendBudgetMs = 2000;
constexpr int maximumSends = 8;
// As on X11: a longer list of offered types is cut, and a longer name is
// not a type.
constexpr qsizetype maximumOfferedTypes = 4096;
constexpr size_t longestTypeName = 1024;

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

// Writes `content` to the pipe `fd` within the budget, then closes it.
void sendWithinBudget(int fd, const QByteArray& content) {
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
    if (m_control) {
        if (m_source)
            m_control->destroySource(m_source);
        for (WaylandDataControl::Offer offer : m_offers.keys())
            m_control->destroyOffer(offer);
        m_control.reset();
    }
    if (m_seat)
        wl_seat_destroy(m_seat);
    if (m_display)
        wl_display_disconnect(m_display);
}

// The seat, then its clipboard device, whose first events name the current
// selection.
bool WaylandClipboardConnection::bind() {
    if (!WaylandRegistry::read(m_display, {WaylandRegistry::bind(m_seat, wl_seat_interface, 1)}) ||
        !m_seat)
        return false;
    m_control = WaylandDataControl::bind(m_display, m_seat, *this);
    return m_control && wl_display_roundtrip(m_display) >= 0;
}

void WaylandClipboardConnection::offerAnnounced(WaylandDataControl::Offer offer) {
    m_offers.insert(offer, {});
}

void WaylandClipboardConnection::offerType(WaylandDataControl::Offer offer, const char* mimeType) {
    const auto types = m_offers.find(offer);
    if (types == m_offers.end() || types->size() >= maximumOfferedTypes ||
        ::strnlen(mimeType, longestTypeName + 1) > longestTypeName)
        return;
    types->append(QString::fromUtf8(mimeType));
}

// A new selection replaces the previous one, whose offer is let go of.
void WaylandClipboardConnection::selectionChanged(WaylandDataControl::Offer offer) {
    if (m_selection && m_selection != offer)
        forget(m_selection);
    m_selection = offer;
    ++m_changeCount;
}

// The primary selection (the middle-click one) is not the clipboard.
void WaylandClipboardConnection::primarySelectionChanged(WaylandDataControl::Offer offer) {
    if (offer && offer != m_selection)
        forget(offer);
}

void WaylandClipboardConnection::finished() {
    if (m_selection)
        forget(m_selection);
    m_selection = nullptr;
}

void WaylandClipboardConnection::forget(WaylandDataControl::Offer offer) {
    if (m_offers.remove(offer))
        m_control->destroyOffer(offer);
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
    m_control->receive(m_selection, type.toUtf8().constData(), ends[1]);
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
    if (m_source)
        m_control->destroySource(m_source);
    m_sourceData.clear();
    m_source = m_control->createSource();
    for (const Representation& representation : representations) {
        m_sourceData.insert(representation.type, representation.data);
        m_control->offer(m_source, representation.type.toUtf8().constData());
    }
    m_control->offer(m_source, m_ownershipType.toUtf8().constData());
    m_control->setSelection(m_source);
    wl_display_flush(m_display);
}

bool WaylandClipboardConnection::isOwnSelection() const {
    return offeredTypes().contains(m_ownershipType);
}

QString WaylandClipboardConnection::ownershipType() {
    return u"application/x-velloq-owner-%1"_s.arg(QCoreApplication::applicationPid());
}

// A paste asks for one type; the data goes down the pipe it gave, within a
// budget, on a thread of its own: paste targets that read slowly (or not at
// all) never hold up the reading of new copies.
void WaylandClipboardConnection::sendRequested(WaylandDataControl::Source, const char* mimeType,
                                               int fd) {
    if (m_sends->load() >= maximumSends) {
        ::close(fd);
        return;
    }
    ++*m_sends;
    std::thread([content = m_sourceData.value(QString::fromUtf8(mimeType)), fd, sends = m_sends] {
        sendWithinBudget(fd, content);
        --*sends;
    }).detach();
}

void WaylandClipboardConnection::sourceCancelled(WaylandDataControl::Source source) {
    m_control->destroySource(source);
    if (m_source == source) {
        m_source = nullptr;
        m_sourceData.clear();
    }
}
