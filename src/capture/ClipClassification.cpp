#include "ClipClassification.h"

#include "RtfReader.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

using namespace Qt::StringLiterals;

namespace {

std::optional<ClipContent> richText(const PasteboardSnapshot& snapshot) {
    if (snapshot.string)
        return RichTextContent{*snapshot.rtf, *snapshot.string};
    return RichTextContent{*snapshot.rtf, RtfReader::plainText(*snapshot.rtf).value_or(QString())};
}

// A URL object counts as the copy when no text contradicts it: no text, blank
// text, or text that is the URL itself (and not, say, a link title).
bool textAgreesWith(const std::optional<QString>& string, const QUrl& url) {
    if (!string)
        return true;
    const QString trimmed = string->trimmed();
    return trimmed.isEmpty() || trimmed == absoluteString(url);
}

// Whether `url` written out is `text`, apart from the case of the scheme and
// the host, which QUrl lowers.
bool isWrittenAs(const QUrl& url, const QString& text) {
    const QString written = absoluteString(url);
    if (written.size() != text.size())
        return false;
    qsizetype authorityEnd = url.scheme().size() + 3;
    while (authorityEnd < written.size() && !u"/?#"_s.contains(written[authorityEnd]))
        ++authorityEnd;
    const QStringView head(written), tail(text);
    return head.left(authorityEnd).compare(tail.left(authorityEnd), Qt::CaseInsensitive) == 0 &&
           head.mid(authorityEnd) == tail.mid(authorityEnd);
}

std::optional<ClipContent> textOrTypedLink(const QString& string) {
    const QString trimmed = string.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // Only an http or https address can become a link; ordinary text, however
    // long, is not run through the URL parser.
    if (!trimmed.startsWith("http:"_L1, Qt::CaseInsensitive) &&
        !trimmed.startsWith("https:"_L1, Qt::CaseInsensitive))
        return TextContent{string};
    const QUrl url(trimmed, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    // The text must be the address and nothing else.
    if (url.isValid() && (scheme == "http"_L1 || scheme == "https"_L1) && isWrittenAs(url, trimmed))
        return LinkContent{url};
    return TextContent{string};
}

} // namespace

std::optional<QByteArray> convertedToPng(const QByteArray& image) {
    QBuffer input;
    input.setData(image);
    QImageReader reader(&input);
    return encodedPng(reader.read());
}

std::optional<QByteArray> encodedPng(const QImage& image) {
    if (image.isNull())
        return std::nullopt;
    QByteArray png;
    QBuffer output(&png);
    if (!output.open(QIODevice::WriteOnly) || !image.save(&output, "PNG") || png.isEmpty())
        return std::nullopt;
    return png;
}

std::optional<ClipContent> clipContent(const PasteboardSnapshot& snapshot) {
    if (!snapshot.fileURLs.isEmpty())
        return FilesContent{snapshot.fileURLs};
    if (snapshot.png && !snapshot.png->isEmpty())
        return ImageContent{*snapshot.png};
    if (snapshot.tiff) {
        if (auto png = convertedToPng(*snapshot.tiff))
            return ImageContent{*png};
    }
    if (snapshot.rtf && !snapshot.rtf->isEmpty())
        return richText(snapshot);
    if (!snapshot.webURLs.isEmpty() && textAgreesWith(snapshot.string, snapshot.webURLs.first()))
        return LinkContent{snapshot.webURLs.first()};
    if (snapshot.string)
        return textOrTypedLink(*snapshot.string);
    return std::nullopt;
}
