#pragma once

#include "ImageContent.h"

#include <QByteArray>
#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QUrl>

#include <variant>

// The payload of one copy. The order of the alternatives is part of the
// on-disk identity of a clip: it is the case number fed into hashing.
struct TextContent {
    QString text; // exactly as copied, never trimmed
    friend bool operator==(const TextContent&, const TextContent&) = default;
};

struct RichTextContent {
    QByteArray rtf;
    QString plain;
    friend bool operator==(const RichTextContent&, const RichTextContent&) = default;
};

struct FilesContent {
    QList<QUrl> urls; // file URLs, in the order they were copied
    friend bool operator==(const FilesContent&, const FilesContent&) = default;
};

struct LinkContent {
    QUrl url;
    // By the form the history stores: QUrl keeps how a URL was written
    // ("#a#b" and "#a%23b" differ to it), which a saved link does not.
    friend bool operator==(const LinkContent& a, const LinkContent& b) {
        return a.url.toString(QUrl::FullyEncoded) == b.url.toString(QUrl::FullyEncoded);
    }
};

using ClipContent =
    std::variant<TextContent, RichTextContent, ImageContent, FilesContent, LinkContent>;

// The 32-byte SHA-256 identity of a payload: two copies are the same clip
// exactly when their content hashes are equal.
QByteArray contentHash(const ClipContent& content);

// How large the clip is: UTF-8 bytes of its text, bytes of its picture or
// RTF, and of its addresses.
qint64 byteSize(const ClipContent& content);

// The text a history search looks in; empty for images.
QString searchText(const ClipContent& content);

// The name of the content's kind as stored on disk ("text", "richText", ...).
QString kindName(const ClipContent& content);

// URL readings shared by hashing, search and storage.
QString absoluteString(const QUrl& url);
QString fileSystemPath(const QUrl& url);

// The file URL of a local path, such that fileSystemPath gives the path
// back: repeated leading slashes (the root, on Linux) are made one, as a
// URL would read them as a host.
QUrl localFileURL(const QString& path);
QString lastPathComponent(const QUrl& url);

size_t qHash(const TextContent& value, size_t seed = 0) noexcept;
size_t qHash(const RichTextContent& value, size_t seed = 0) noexcept;
size_t qHash(const ImageContent& value, size_t seed = 0) noexcept;
size_t qHash(const FilesContent& value, size_t seed = 0) noexcept;
size_t qHash(const LinkContent& value, size_t seed = 0) noexcept;
size_t qHash(const ClipContent& content, size_t seed = 0);
