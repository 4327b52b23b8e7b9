#include "InstanceClient.h"

#include <QDeadlineTimer>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A connected socket to `path`, or -1; the wait for a busy server to
// accept is bounded by `timeout`.
int connectedSocket(const QString& path, QDeadlineTimer timeout) {
    const std::optional<sockaddr_un> address = InstanceServer::socketAddress(path);
    if (!address)
        return -1;
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0)
        return -1;
    const qint64 milliseconds = qMax<qint64>(1, timeout.remainingTime());
    const timeval wait{time_t(milliseconds / 1000), suseconds_t(milliseconds % 1000 * 1000)};
    ::setsockopt(descriptor, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    if (::connect(descriptor, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

// Waits until `descriptor` is ready for `events`, or the deadline passes.
bool waitFor(int descriptor, short events, QDeadlineTimer deadline) {
    for (;;) {
        pollfd entry{descriptor, events, 0};
        const int ready =
            ::poll(&entry, 1, int(std::clamp<qint64>(deadline.remainingTime(), 0, 500)));
        if (ready > 0)
            return true;
        if ((ready < 0 && errno != EINTR) || deadline.hasExpired())
            return false;
    }
}

bool sendAll(int descriptor, const QByteArray& bytes, QDeadlineTimer deadline) {
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        if (!waitFor(descriptor, POLLOUT, deadline))
            return false;
        const ssize_t count = ::send(descriptor, bytes.constData() + sent,
                                     size_t(bytes.size() - sent), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (count < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        sent += qMax<ssize_t>(0, count);
    }
    return true;
}

// Everything up to the first newline (which is kept), or nothing.
std::optional<QByteArray> receiveLine(int descriptor, QDeadlineTimer deadline) {
    QByteArray line;
    char buffer[64 * 1024];
    while (!line.endsWith('\n')) {
        if (!waitFor(descriptor, POLLIN, deadline))
            return std::nullopt;
        const ssize_t count = ::recv(descriptor, buffer, sizeof buffer, MSG_DONTWAIT);
        if (count == 0 || (count < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK))
            return std::nullopt;
        if (count > 0) {
            const qsizetype end = QByteArrayView(buffer, count).indexOf('\n');
            line.append(buffer, end < 0 ? count : end + 1);
        }
    }
    return line;
}

} // namespace

std::optional<InstanceServer::Reply> InstanceClient::send(const InstanceServer::Request& request,
                                                          int replyTimeoutMs, const QString& path) {
    const int descriptor =
        connectedSocket(path.isEmpty() ? InstanceServer::socketPath() : path, QDeadlineTimer(1000));
    if (descriptor < 0)
        return std::nullopt;
    std::optional<InstanceServer::Reply> reply;
    const QDeadlineTimer deadline(replyTimeoutMs);
    if (InstanceServer::peerIsSameUser(descriptor) &&
        sendAll(descriptor, InstanceServer::encode(request), deadline)) {
        if (const auto line = receiveLine(descriptor, deadline))
            reply = InstanceServer::decodeReply(*line);
    }
    ::close(descriptor);
    return reply;
}

std::optional<QByteArray> InstanceClient::readStandardInput() {
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return QByteArray();
    QByteArray bytes;
    while (bytes.size() <= InstanceServer::maximumInputBytes) {
        const QByteArray chunk = input.read(1024 * 1024);
        if (chunk.isEmpty())
            return bytes;
        bytes += chunk;
    }
    return std::nullopt;
}
