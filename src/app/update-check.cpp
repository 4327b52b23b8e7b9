// Reads the update feed for a running Velloq, in a process of its own so that
// Qt's network library (and the TLS and Kerberos libraries behind it) is
// loaded only while a check runs. Prints the document on standard output and
// exits with 0, or prints why it could not and exits with 1.

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTextStream>

namespace {

constexpr int timeoutMilliseconds = 15'000;
// A feed is a few hundred bytes; anything much larger is not one.
constexpr qint64 largestFeed = 256 * 1024;

int fail(const QString& why) {
    QTextStream(stderr) << why << '\n';
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return fail(QStringLiteral("usage: velloq-update-check URL"));
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(QString::fromLocal8Bit(argv[1])));
    request.setTransferTimeout(timeoutMilliseconds);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = network.get(request);
    QByteArray body;
    bool tooLarge = false;
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
    if (reply->error() != QNetworkReply::NoError)
        return fail(reply->errorString());
    body += reply->readAll();
    QTextStream(stdout) << body;
    return 0;
}
