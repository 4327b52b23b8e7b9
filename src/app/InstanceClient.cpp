#include "InstanceClient.h"

#include <QDeadlineTimer>
#include <QLocalSocket>

std::optional<InstanceServer::Reply> InstanceClient::send(const InstanceServer::Request& request,
                                                          int replyTimeoutMs, const QString& path) {
    QLocalSocket socket;
    socket.connectToServer(path.isEmpty() ? InstanceServer::socketPath() : path);
    if (!socket.waitForConnected(1000) ||
        !InstanceServer::peerIsSameUser(int(socket.socketDescriptor())))
        return std::nullopt;
    socket.write(InstanceServer::encode(request));
    const QDeadlineTimer deadline(replyTimeoutMs);
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || socket.state() != QLocalSocket::ConnectedState)
            break;
        socket.waitForReadyRead(int(qMax<qint64>(1, qMin<qint64>(deadline.remainingTime(), 500))));
    }
    if (!socket.canReadLine())
        return std::nullopt;
    return InstanceServer::decodeReply(socket.readLine());
}
