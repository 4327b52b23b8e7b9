#include "InstanceServer.h"

#include "history/PrivateFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QStandardPaths>

#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Requests carry images and whole texts; anything larger is not ours.
constexpr qint64 maximumRequestBytes = 512LL * 1024 * 1024;

QString base64(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toBase64());
}

QByteArray fromBase64(const QJsonValue& value) {
    return QByteArray::fromBase64(value.toString().toLatin1());
}

QByteArray line(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

InstanceServer::InstanceServer(QObject* parent) : QObject(parent) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &InstanceServer::accept);
}

QString InstanceServer::socketPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath() + "/velloq-"_L1 + QString::number(::getuid());
    return folder + "/velloq/instance"_L1;
}

bool InstanceServer::listen() {
    const QString path = socketPath();
    createPrivateFolder(QFileInfo(path).absolutePath());
    // Listening with user-only access renames a fresh socket into place, over
    // any socket already there, so ask first whether someone answers at it.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(500))
        return false;
    // What is left is a socket file from a Velloq that ended without removing it.
    QLocalServer::removeServer(path);
    return m_server.listen(path);
}

bool InstanceServer::isSameUser(QLocalSocket* socket) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return ::getsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials,
                        &length) == 0 &&
           credentials.uid == ::getuid();
}

void InstanceServer::accept() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!isSameUser(socket)) {
            socket->abort();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
    }
}

void InstanceServer::serve(QLocalSocket* socket) {
    if (socket->bytesAvailable() > maximumRequestBytes) {
        socket->abort();
        return;
    }
    if (!socket->canReadLine())
        return;
    const auto request = decodeRequest(socket->readLine());
    Reply reply{2, {}, "velloq: the running Velloq did not understand the request\n"};
    if (request && onRequest)
        reply = onRequest(*request);
    socket->write(encode(reply));
    socket->disconnectFromServer();
}

QByteArray InstanceServer::encode(const Request& request) {
    return line({{"arguments"_L1, QJsonArray::fromStringList(request.arguments)},
                 {"input"_L1, base64(request.input)},
                 {"workingDirectory"_L1, request.workingDirectory}});
}

QByteArray InstanceServer::encode(const Reply& reply) {
    return line(
        {{"code"_L1, reply.code}, {"out"_L1, base64(reply.out)}, {"err"_L1, base64(reply.err)}});
}

std::optional<InstanceServer::Request> InstanceServer::decodeRequest(const QByteArray& text) {
    const QJsonObject object = QJsonDocument::fromJson(text).object();
    if (!object.value("arguments"_L1).isArray())
        return std::nullopt;
    Request request;
    for (const QJsonValue argument : object.value("arguments"_L1).toArray())
        request.arguments.append(argument.toString());
    request.input = fromBase64(object.value("input"_L1));
    request.workingDirectory = object.value("workingDirectory"_L1).toString();
    return request;
}

std::optional<InstanceServer::Reply> InstanceServer::decodeReply(const QByteArray& text) {
    const QJsonObject object = QJsonDocument::fromJson(text).object();
    if (!object.value("code"_L1).isDouble())
        return std::nullopt;
    return Reply{object.value("code"_L1).toInt(), fromBase64(object.value("out"_L1)),
                 fromBase64(object.value("err"_L1))};
}
