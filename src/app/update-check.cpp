// Reads the update feed for a running Velloq, in a process of its own so that
// Qt's network library (and the TLS and Kerberos libraries behind it) is
// loaded only while a check runs. Prints the document on standard output and
// exits with 0, or prints why it could not and exits with 1. The check ends
// after DEADLINE_MS (30 s unless given) in any case.

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTextStream>
#include <QTimer>

namespace {

// Without a byte for this long the check gives up; and in any case after
// the overall deadline, however slowly a server keeps sending.
constexpr int timeoutMilliseconds = 15'000;
constexpr int defaultDeadlineMilliseconds = 30'000;
// A feed is a few hundred bytes; anything much larger is not one.
constexpr qint64 largestFeed = 256 * 1024;

int fail(const QString& why) {
    QTextStream(stderr) << why << '\n';
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2 && argc != 3)
        return fail(QStringLiteral("usage: velloq-update-check URL [DEADLINE_MS]"));
    const int deadline = argc == 3 ? QByteArray(argv[2]).toInt() : defaultDeadlineMilliseconds;
    QNetworkAccessManager network;
    const QUrl address(QString::fromLocal8Bit(argv[1]));
    QNetworkRequest request(address);
    request.setTransferTimeout(timeoutMilliseconds);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    QNetworkReply* reply = network.get(request);
    QByteArray body;
    bool tooLarge = false;
    bool redirectedAway = false;
    bool tooSlow = false;
    // A redirect may move the feed on its own site, never to another.
    QObject::connect(reply, &QNetworkReply::redirected, [&](const QUrl& target) {
        const QUrl next = address.resolved(target);
        if (next.scheme() == address.scheme() && next.host() == address.host() &&
            next.port() == address.port()) {
            Q_EMIT reply->redirectAllowed();
            return;
        }
        redirectedAway = true;
        reply->abort();
    });
    QTimer::singleShot(deadline > 0 ? deadline : defaultDeadlineMilliseconds, reply, [&] {
        tooSlow = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, [&] {
        body += reply->readAll();
        if (body.size() > largestFeed) {
            tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &app, &QCoreApplication::quit);
    app.exec();
    if (tooLarge)
        return fail(QStringLiteral("The update information is too large."));
    if (redirectedAway)
        return fail(QStringLiteral("The update address sends the check to another site."));
    if (tooSlow)
        return fail(QStringLiteral("The update check took too long."));
    if (reply->error() != QNetworkReply::NoError)
        return fail(reply->errorString());
    body += reply->readAll();
    QTextStream(stdout) << body;
    return 0;
}
