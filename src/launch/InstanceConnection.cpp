#include "InstanceConnection.h"

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

InstanceConnection::InstanceConnection(int descriptor, qint64 maximumRequestBytes,
                                       int idleMilliseconds, QObject* parent)
    : QObject(parent), m_descriptor(descriptor), m_maximumRequestBytes(maximumRequestBytes),
      m_readable(descriptor, QSocketNotifier::Read),
      m_writable(descriptor, QSocketNotifier::Write) {
    m_writable.setEnabled(false);
    connect(&m_readable, &QSocketNotifier::activated, this, &InstanceConnection::readAvailable);
    connect(&m_writable, &QSocketNotifier::activated, this, &InstanceConnection::writePending);
    m_idle.setSingleShot(true);
    m_idle.setInterval(idleMilliseconds);
    connect(&m_idle, &QTimer::timeout, this, &InstanceConnection::close);
    m_idle.start();
}

InstanceConnection::~InstanceConnection() {
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

void InstanceConnection::readAvailable() {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::recv(m_descriptor, buffer, sizeof buffer, 0);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (count <= 0)
            return close();
        m_idle.start();
        const qsizetype lineEnd = QByteArrayView(buffer, count).indexOf('\n');
        m_request.append(buffer, lineEnd < 0 ? count : lineEnd);
        if (m_request.size() > m_maximumRequestBytes)
            return close();
        if (lineEnd >= 0)
            break;
    }
    // One request per connection: whatever follows its line is not read.
    m_readable.setEnabled(false);
    m_reply = onRequestLine ? onRequestLine(m_request) : QByteArray();
    m_request = QByteArray();
    writePending();
}

void InstanceConnection::writePending() {
    while (m_written < m_reply.size()) {
        const ssize_t count = ::send(m_descriptor, m_reply.constData() + m_written,
                                     size_t(m_reply.size() - m_written), MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writable.setEnabled(true);
            return;
        }
        if (count < 0)
            return close();
        m_written += count;
        m_idle.start();
    }
    close();
}

void InstanceConnection::close() {
    if (m_descriptor < 0)
        return;
    m_readable.setEnabled(false);
    m_writable.setEnabled(false);
    m_idle.stop();
    ::close(m_descriptor);
    m_descriptor = -1;
    Q_EMIT closed();
}
