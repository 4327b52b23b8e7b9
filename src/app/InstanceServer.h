#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QLocalSocket;

// The running Velloq's door for later `velloq` invocations of the same user:
// a local socket in $XDG_RUNTIME_DIR that only this user may open. Each
// connection carries one request (command-line arguments, standard input,
// working directory) and gets one reply (exit code, output, errors).
class InstanceServer : public QObject {
    Q_OBJECT

public:
    struct Request {
        QStringList arguments;
        QByteArray input;
        QString workingDirectory;
    };
    struct Reply {
        int code = 0;
        QByteArray out;
        QByteArray err;
    };

    explicit InstanceServer(QObject* parent = nullptr);

    static QString socketPath();

    // Starts listening; false when another instance already listens.
    bool listen();

    std::function<Reply(const Request&)> onRequest;

    static QByteArray encode(const Request& request);
    static QByteArray encode(const Reply& reply);
    static std::optional<Request> decodeRequest(const QByteArray& line);
    static std::optional<Reply> decodeReply(const QByteArray& line);

private:
    void accept();
    void serve(QLocalSocket* socket);
    static bool isSameUser(QLocalSocket* socket);

    QLocalServer m_server;
};
