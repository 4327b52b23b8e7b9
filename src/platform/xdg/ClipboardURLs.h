#pragma once

#include <QByteArray>
#include <QList>
#include <QUrl>

// The URL lists of a clipboard offer, split into files and everything else.
struct ClipboardURLs {
    QList<QUrl> fileURLs;
    QList<QUrl> webURLs;

    // text/uri-list (RFC 2483): one URI a line, "#" comments. A line that is
    // not a valid URL spoils the whole list, which is then empty.
    static ClipboardURLs fromUriList(const QByteArray& data);
    // x-special/gnome-copied-files: "copy" or "cut", then one URI a line.
    static ClipboardURLs fromGnomeCopiedFiles(const QByteArray& data);
};
