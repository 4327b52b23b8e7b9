#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

// The update feed: a small JSON document on the maker's site naming the
// latest version, its release notes and its download page, e.g.
// {"version": "0.2.0", "notes": "https://…", "download": "https://…"}.
class UpdateFeed {
public:
    UpdateFeed() = delete;

    struct Release {
        QString version;
        QUrl notes;
        QUrl download;
    };

    // The environment variable that points the check at another feed.
    static constexpr const char* addressVariable = "VELLOQ_UPDATE_FEED";
    static QUrl address();
    // Feeds are read over HTTPS; plain HTTP only from this machine.
    static bool isAllowedAddress(const QUrl& address);

    // The release the document names, or a reason why it names none.
    static std::optional<Release> parse(const QByteArray& document, QString* problem = nullptr);
    // Dotted version numbers compared part by part ("0.10" is after "0.9");
    // negative, zero or positive.
    static int compareVersions(const QString& one, const QString& other);
};
