#include "ClipContent.h"

#include "Overloaded.h"
#include "PictureText.h"
#include "Sha256.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

void feed(Sha256& hash, const QString& text) {
    hash.addData(text.toUtf8());
}

} // namespace

QString absoluteString(const QUrl& url) {
    return url.toString(QUrl::FullyEncoded);
}

QString fileSystemPath(const QUrl& url) {
    return url.toLocalFile();
}

QUrl localFileURL(const QString& path) {
    qsizetype slashes = 0;
    while (slashes < path.size() && path[slashes] == u'/')
        ++slashes;
    return QUrl::fromLocalFile(slashes > 1 ? path.mid(slashes - 1) : path);
}

QString lastPathComponent(const QUrl& url) {
    QString path = url.isLocalFile() ? url.toLocalFile() : url.path();
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    if (path == "/"_L1)
        return path;
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QByteArray contentHash(const ClipContent& content) {
    // A picture's is kept with it, since it may have to be read from disk.
    if (const auto* image = std::get_if<ImageContent>(&content))
        return image->contentHash();
    Sha256 hash;
    static constexpr char zero = '\0';
    std::visit(Overloaded{
                   [&](const TextContent& c) {
                       hash.addData("t");
                       feed(hash, c.text);
                   },
                   [&](const RichTextContent& c) {
                       hash.addData("r");
                       hash.addData(c.rtf);
                       hash.addData(QByteArrayView(&zero, 1));
                       feed(hash, c.plain);
                   },
                   [](const ImageContent&) {},
                   [&](const FilesContent& c) {
                       hash.addData("f");
                       for (const QUrl& url : c.urls) {
                           feed(hash, fileSystemPath(url));
                           hash.addData(QByteArrayView(&zero, 1));
                       }
                   },
                   [&](const LinkContent& c) {
                       hash.addData("l");
                       feed(hash, absoluteString(c.url));
                   },
               },
               content);
    return hash.result();
}

namespace {

// Counted without converting, so a huge text costs no copy.
qint64 utf8Size(const QString& text) {
    qint64 bytes = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // A surrogate pair is four bytes in UTF-8: two for each half.
        bytes += u < 0x80 ? 1 : (u < 0x800 || c.isSurrogate()) ? 2 : 3;
    }
    return bytes;
}

} // namespace

qint64 byteSize(const ClipContent& content) {
    return std::visit(Overloaded{
                          [](const TextContent& c) { return utf8Size(c.text); },
                          [](const RichTextContent& c) { return c.rtf.size() + utf8Size(c.plain); },
                          [](const ImageContent& c) { return c.byteSize(); },
                          [](const FilesContent& c) {
                              qint64 bytes = 0;
                              for (const QUrl& url : c.urls)
                                  bytes += utf8Size(absoluteString(url));
                              return bytes;
                          },
                          [](const LinkContent& c) { return utf8Size(absoluteString(c.url)); },
                      },
                      content);
}

QString searchText(const ClipContent& content) {
    return std::visit(Overloaded{
                          [](const TextContent& c) { return c.text; },
                          [](const RichTextContent& c) { return c.plain; },
                          [](const ImageContent& c) {
                              return PictureText::read(c.filePath()).value_or(QString());
                          },
                          [](const FilesContent& c) {
                              QStringList names;
                              names.reserve(c.urls.size());
                              for (const QUrl& url : c.urls)
                                  names.append(lastPathComponent(url));
                              return names.join(u'\n');
                          },
                          [](const LinkContent& c) { return absoluteString(c.url); },
                      },
                      content);
}

QString kindName(const ClipContent& content) {
    static const QString names[] = {u"text"_s, u"richText"_s, u"image"_s, u"files"_s, u"link"_s};
    return names[content.index()];
}

size_t qHash(const TextContent& value, size_t seed) noexcept {
    return qHash(value.text, seed);
}

size_t qHash(const RichTextContent& value, size_t seed) noexcept {
    return qHashMulti(seed, value.rtf, value.plain);
}

size_t qHash(const ImageContent& value, size_t seed) noexcept {
    return qHash(value.contentHash(), seed);
}

size_t qHash(const FilesContent& value, size_t seed) noexcept {
    seed = qHashMulti(seed, value.urls.size());
    for (const QUrl& url : value.urls)
        seed = qHashMulti(seed, url);
    return seed;
}

size_t qHash(const LinkContent& value, size_t seed) noexcept {
    return qHash(value.url, seed);
}

size_t qHash(const ClipContent& content, size_t seed) {
    const size_t caseNumber = content.index();
    return std::visit([&](const auto& c) { return qHash(c, qHashMulti(seed, caseNumber)); },
                      content);
}
