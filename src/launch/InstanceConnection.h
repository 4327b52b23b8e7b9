#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <functional>

// One accepted connection to the instance socket, without blocking: reads a
// request line, hands it to `onRequestLine`, writes the reply back, then
// closes. A connection that sends more than `maximumRequestBytes` before the
// line ends, or stops sending or reading for `idleMilliseconds`, is closed.
class InstanceConnection : public QObject {
    Q_OBJECT

public:
    InstanceConnection(int descriptor, qint64 maximumRequestBytes, int idleMilliseconds,
                       QObject* parent = nullptr);
    ~InstanceConnection() override;

    // The request line without its newline; returns the reply to write.
    std::function<QByteArray(const QByteArray&)> onRequestLine;

Q_SIGNALS:
    // The connection is over; delete it later.
    void closed();

private:
    void readAvailable();
    void writePending();
    void close();

    int m_descriptor;
    qint64 m_maximumRequestBytes;
    QSocketNotifier m_readable;
    QSocketNotifier m_writable;
    QTimer m_idle;
    QByteArray m_request;
    QByteArray m_reply;
    qsizetype m_written = 0;
};
