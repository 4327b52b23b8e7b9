#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <sys/types.h>
#include <sys/un.h>

// The running Velloq's door for later `velloq` invocations of the same user:
// a local socket in a folder only this user may enter ($XDG_RUNTIME_DIR, else
// a private folder in the temporary folder). Each connection carries one
// request (command-line arguments, standard input, working directory) and
// gets one reply (exit code, output, errors). Connections of other users are
// closed unread.
class InstanceServer : public QObject {
    Q_OBJECT

public:
    struct Request {
        QStringList arguments;
        QByteArray input;
        QString workingDirectory;
        // The Wayland activation token the command was started with (from
        // a launcher or a shortcut), for a window the command shows.
        QString activationToken = {};
    };
    struct Reply {
        int code = 0;
        QByteArray out;
        QByteArray err;
    };

    // Standard input a command may hand over; larger input is refused before
    // it is sent.
    static constexpr qint64 maximumInputBytes = 256LL * 1024 * 1024;
    // A request is its arguments and its input in Base64; anything larger is
    // not from us, and its connection is dropped.
    static constexpr qint64 defaultMaximumRequestBytes =
        64LL * 1024 * 1024 + maximumInputBytes / 3 * 4 + 4;
    // Connections served at once; more are closed at once, so a flood can
    // never use up the descriptors the application needs.
    static constexpr int maximumConnections = 32;

    explicit InstanceServer(QObject* parent = nullptr);
    ~InstanceServer() override;

    static QString socketPath();
    // The address of a local socket at `path`; none when the path is too long.
    static std::optional<sockaddr_un> socketAddress(const QString& path);

    // Starts listening; false when another instance already listens, or
    // when the socket's folder is not private (`errorString` says why).
    bool listen();
    QString errorString() const { return m_errorString; }
    int connectionCount() const { return m_connections; }

    std::function<Reply(const Request&)> onRequest;
    qint64 maximumRequestBytes = defaultMaximumRequestBytes;

    static QByteArray encode(const Request& request);
    static QByteArray encode(const Reply& reply);
    static std::optional<Request> decodeRequest(const QByteArray& line);
    static std::optional<Reply> decodeReply(const QByteArray& line);

    // Whether the process at the other end of a connected local socket runs
    // as this user.
    static bool peerIsSameUser(int descriptor);
    // Creates the folder if needed and checks that only this user can enter
    // it: a real folder (no link), owned by this user, closed to others.
    // Returns what is wrong, or nothing.
    static std::optional<QString> makePrivateFolder(const QString& path);
    // The socket's folder (`velloq` in $XDG_RUNTIME_DIR, else in a private
    // folder of the temporary folder), or `subfolder` of it, made if needed
    // and checked as makePrivateFolder checks; nullopt, with what is wrong in
    // `problem`, when any of them is not private.
    static std::optional<QString> privateRuntimeFolder(const QString& subfolder = {},
                                                       QString* problem = nullptr);

private:
    bool listenAt(const QString& path);
    void acceptAll();
    void accept(int descriptor);
    QByteArray replyTo(const QByteArray& requestLine);

    QString m_errorString;
    QString m_path;
    int m_listener = -1;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_acceptPause;
    int m_connections = 0;
};
