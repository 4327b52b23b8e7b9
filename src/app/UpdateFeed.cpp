#include "UpdateFeed.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString defaultAddress = u"https://www.tarnbrooksoftware.com/velloq/update.json"_s;

// 127.0.0.0/8 written as four decimal numbers: the name "127.0.0.1.example"
// is somebody's host.
bool isLoopbackIPv4(const QString& host) {
    const QStringList parts = host.split(u'.');
    if (parts.size() != 4 || parts.first() != "127"_L1)
        return false;
    return std::ranges::all_of(parts, [](const QString& part) {
        return !part.isEmpty() && part.size() <= 3 &&
               std::ranges::all_of(part, [](QChar c) { return c.isDigit(); }) &&
               part.toUInt() <= 255;
    });
}

bool isWebPage(const QUrl& url) {
    return url.isValid() && (url.scheme() == "https"_L1 || url.scheme() == "http"_L1) &&
           !url.host().isEmpty();
}

} // namespace

QUrl UpdateFeed::address() {
    const QString overridden = qEnvironmentVariable(addressVariable);
    return QUrl(overridden.isEmpty() ? defaultAddress : overridden);
}

bool UpdateFeed::isAllowedAddress(const QUrl& address) {
    if (!address.isValid() || address.host().isEmpty())
        return false;
    if (address.scheme() == "https"_L1)
        return true;
    const QString host = address.host();
    const bool loopback = host == "localhost"_L1 || host == "::1"_L1 || isLoopbackIPv4(host);
    return address.scheme() == "http"_L1 && loopback;
}

std::optional<UpdateFeed::Release> UpdateFeed::parse(const QByteArray& document, QString* problem) {
    const auto fail = [problem](const QString& why) {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(document, &error);
    if (!json.isObject())
        return fail(
            QCoreApplication::translate("UpdateFeed", "The update information could not be read."));
    const QJsonObject object = json.object();
    static const QRegularExpression dotted(u"^\\d{1,6}(\\.\\d{1,6}){0,3}$"_s);
    const QString version = object.value("version"_L1).toString();
    if (!dotted.match(version).hasMatch())
        return fail(
            QCoreApplication::translate("UpdateFeed", "The update information names no version."));
    Release release{version, QUrl(object.value("notes"_L1).toString()),
                    QUrl(object.value("download"_L1).toString())};
    // Only web pages are offered to open.
    if (!isWebPage(release.notes))
        release.notes.clear();
    if (!isWebPage(release.download))
        release.download.clear();
    return release;
}

int UpdateFeed::compareVersions(const QString& one, const QString& other) {
    const QStringList a = one.split(u'.');
    const QStringList b = other.split(u'.');
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        const qint64 left = a.value(i).toLongLong();
        const qint64 right = b.value(i).toLongLong();
        if (left != right)
            return left < right ? -1 : 1;
    }
    return 0;
}
