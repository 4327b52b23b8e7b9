#include "InstanceServer.h"

#include "InstanceConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Out of descriptors: wait a little before accepting again, since the
// listener stays readable and would otherwise spin.
constexpr int acceptPauseMilliseconds = 100;
constexpr int idleMilliseconds = 10000;

QString base64(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toBase64());
}

QByteArray fromBase64(const QJsonValue& value) {
    return QByteArray::fromBase64(value.toString().toLatin1());
}

QByteArray line(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

// Whether something accepts connections at `path`. A full backlog counts as
// someone there: its owner is alive, just busy.
bool someoneListensAt(const sockaddr_un& address) {
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (probe < 0)
        return false;
    const int result =
        ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int error = errno;
    ::close(probe);
    return result == 0 || error == EAGAIN || error == EINPROGRESS;
}

QString temporaryFallbackFolder() {
    return QDir::tempPath() + "/velloq-"_L1 + QString::number(::getuid());
}

bool usesTemporaryFallback(const QString& socketFolder) {
    return QFileInfo(socketFolder).absolutePath() == temporaryFallbackFolder();
}

} // namespace

InstanceServer::InstanceServer(QObject* parent) : QObject(parent) {
    m_acceptPause.setSingleShot(true);
    connect(&m_acceptPause, &QTimer::timeout, this, [this] {
        if (m_notifier)
            m_notifier->setEnabled(true);
    });
}

InstanceServer::~InstanceServer() {
    if (m_listener < 0)
        return;
    m_notifier.reset();
    ::close(m_listener);
    // Remove the socket only while it is still the one we made: a later
    // Velloq may have replaced it.
    struct stat status {};
    if (::lstat(QFile::encodeName(m_path).constData(), &status) == 0 && status.st_dev == m_device &&
        status.st_ino == m_inode)
        ::unlink(QFile::encodeName(m_path).constData());
}

std::optional<sockaddr_un> InstanceServer::socketAddress(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return std::nullopt;
    std::copy(name.begin(), name.end(), address.sun_path);
    return address;
}

QString InstanceServer::socketPath() {
    // Read directly: Qt's lookup prints a warning on every command when the
    // variable is unset. The socket's own folder is checked either way.
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
        folder = temporaryFallbackFolder();
    return folder + "/velloq/instance"_L1;
}

std::optional<QString> InstanceServer::makePrivateFolder(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return u"cannot create %1: %2"_s.arg(path, QString::fromLocal8Bit(::strerror(errno)));
    struct stat status {};
    if (::lstat(name.constData(), &status) != 0 || !S_ISDIR(status.st_mode))
        return u"%1 is not a folder"_s.arg(path);
    if (status.st_uid != ::getuid())
        return u"%1 belongs to another user"_s.arg(path);
    if ((status.st_mode & 0077) != 0)
        return u"%1 is open to other users"_s.arg(path);
    return std::nullopt;
}

std::optional<QString> InstanceServer::privateRuntimeFolder(const QString& subfolder,
                                                            QString* problem) {
    const QString folder = QFileInfo(socketPath()).absolutePath();
    QStringList chain;
    if (usesTemporaryFallback(folder))
        chain << temporaryFallbackFolder();
    chain << folder;
    if (!subfolder.isEmpty())
        chain << folder + u'/' + subfolder;
    for (const QString& each : std::as_const(chain)) {
        if (const std::optional<QString> wrong = makePrivateFolder(each)) {
            if (problem)
                *problem = *wrong;
            return std::nullopt;
        }
    }
    return chain.last();
}

bool InstanceServer::listen() {
    m_errorString.clear();
    QString problem;
    if (!privateRuntimeFolder({}, &problem)) {
        m_errorString = u"velloq: refusing the instance socket: %1\n"_s.arg(problem);
        return false;
    }
    return listenAt(socketPath());
}

bool InstanceServer::listenAt(const QString& path) {
    const auto address = socketAddress(path);
    if (!address) {
        m_errorString = u"velloq: the socket path %1 is too long\n"_s.arg(path);
        return false;
    }
    if (someoneListensAt(*address))
        return false;
    // What is left is a socket file from a Velloq that ended without removing it.
    ::unlink(address->sun_path);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    struct stat status {};
    if (listener < 0 ||
        ::bind(listener, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0 ||
        ::chmod(address->sun_path, 0600) != 0 || ::listen(listener, SOMAXCONN) != 0 ||
        ::lstat(address->sun_path, &status) != 0) {
        m_errorString = u"velloq: cannot listen at %1: %2\n"_s.arg(
            path, QString::fromLocal8Bit(::strerror(errno)));
        if (listener >= 0)
            ::close(listener);
        return false;
    }
    m_path = path;
    m_listener = listener;
    m_device = status.st_dev;
    m_inode = status.st_ino;
    m_notifier = std::make_unique<QSocketNotifier>(listener, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &InstanceServer::acceptAll);
    return true;
}

void InstanceServer::acceptAll() {
    for (;;) {
        const int descriptor =
            ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (descriptor >= 0) {
            accept(descriptor);
            continue;
        }
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            m_notifier->setEnabled(false);
            m_acceptPause.start(acceptPauseMilliseconds);
        }
        if (errno != EINTR && errno != ECONNABORTED)
            return;
    }
}

bool InstanceServer::peerIsSameUser(int descriptor) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return ::getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 &&
           credentials.uid == ::getuid();
}

void InstanceServer::accept(int descriptor) {
    if (m_connections >= maximumConnections || !peerIsSameUser(descriptor)) {
        ::close(descriptor);
        return;
    }
    ++m_connections;
    auto* connection =
        new InstanceConnection(descriptor, maximumRequestBytes, idleMilliseconds, this);
    connection->onRequestLine = [this](const QByteArray& line) { return replyTo(line); };
    connect(connection, &InstanceConnection::closed, this, [this, connection] {
        --m_connections;
        connection->deleteLater();
    });
}

QByteArray InstanceServer::replyTo(const QByteArray& line) {
    const auto request = decodeRequest(line);
    Reply reply{2, {}, "velloq: the running Velloq did not understand the request\n"};
    if (request && onRequest)
        reply = onRequest(*request);
    return encode(reply);
}

QByteArray InstanceServer::encode(const Request& request) {
    return line({{"arguments"_L1, QJsonArray::fromStringList(request.arguments)},
                 {"input"_L1, base64(request.input)},
                 {"workingDirectory"_L1, request.workingDirectory},
                 {"activationToken"_L1, request.activationToken}});
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
    request.activationToken = object.value("activationToken"_L1).toString();
    return request;
}

std::optional<InstanceServer::Reply> InstanceServer::decodeReply(const QByteArray& text) {
    const QJsonObject object = QJsonDocument::fromJson(text).object();
    if (!object.value("code"_L1).isDouble())
        return std::nullopt;
    return Reply{object.value("code"_L1).toInt(), fromBase64(object.value("out"_L1)),
                 fromBase64(object.value("err"_L1))};
}
