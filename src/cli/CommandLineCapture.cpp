#include "CommandLineCapture.h"

#include "capture/ClipClassification.h"
#include "history/PictureLimits.h"
#include "history/PrivateFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

CommandLineCapture::Refusal usage(const QString& message) {
    return {message, true};
}
CommandLineCapture::Refusal refusal(const QString& message) {
    return {message, false};
}

// Files named on the command line: regular files only, as large as the
// running Velloq accepts on standard input.
std::optional<QByteArray> readFile(const QString& path) {
    return readRegularFile(path, 256LL << 20);
}

} // namespace

CommandLineCapture::Result
CommandLineCapture::content(const Request& request,
                            const std::function<QByteArray()>& readStandardInput) {
    const int kinds = int(request.link.has_value()) + int(request.files) +
                      int(request.imagePath.has_value()) + int(request.rtfPath.has_value());
    if (kinds > 1)
        return usage(u"add takes only one of --link, --file, --image and --rtf"_s);
    if (request.plain && !request.rtfPath)
        return usage(u"--plain goes with --rtf"_s);
    if (!request.files && !request.paths.isEmpty())
        return usage(
            u"unexpected argument '%1' (file paths follow --file)"_s.arg(request.paths.first()));
    if (request.link)
        return link(*request.link);
    if (request.files)
        return files(request.paths);
    if (request.imagePath)
        return image(*request.imagePath);
    if (request.rtfPath) {
        if (!request.plain)
            return usage(u"--rtf needs --plain TEXT, the plain-text form of the rich text"_s);
        return richText(*request.rtfPath, *request.plain);
    }
    return text(readStandardInput ? readStandardInput() : QByteArray());
}

CommandLineCapture::Result CommandLineCapture::text(const QByteArray& input) {
    if (input.isEmpty())
        return refusal(u"nothing to add: standard input was empty"_s);
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(input);
    if (decoder.hasError())
        return refusal(u"standard input is not UTF-8 text"_s);
    return TextContent{std::move(text)};
}

CommandLineCapture::Result CommandLineCapture::link(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.isLocalFile())
        return refusal(u"'%1' is not an absolute web address (use --file for files)"_s.arg(text));
    return LinkContent{url};
}

CommandLineCapture::Result CommandLineCapture::files(const QStringList& paths) {
    if (paths.isEmpty())
        return usage(u"--file needs at least one path"_s);
    FilesContent content;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.exists())
            return refusal(u"no such file or folder: %1"_s.arg(path));
        content.urls.append(QUrl::fromLocalFile(QDir::cleanPath(info.absoluteFilePath())));
    }
    return content;
}

CommandLineCapture::Result CommandLineCapture::image(const QString& path) {
    const auto bytes = readFile(path);
    if (!bytes)
        return refusal(u"cannot read image file %1"_s.arg(path));
    QBuffer buffer;
    buffer.setData(*bytes);
    QImageReader reader(&buffer);
    // The size from the header first: a small file can claim a huge picture.
    if (!reader.canRead() || !isDecodablePictureSize(reader.size()))
        return refusal(u"%1 is not an image this system can read"_s.arg(path));
    // A PNG is kept as it is, as a copied one is, without unpacking it.
    if (reader.format() == "png")
        return ImageContent{*bytes};
    allowDecodablePictures();
    const QImage picture = reader.read();
    if (picture.isNull())
        return refusal(u"%1 is not an image this system can read"_s.arg(path));
    // Other formats are stored as PNG, like images taken from the clipboard.
    if (auto png = encodedPng(picture))
        return ImageContent{*png};
    return refusal(u"%1 could not be converted to PNG"_s.arg(path));
}

CommandLineCapture::Result CommandLineCapture::richText(const QString& rtfPath,
                                                        const QString& plain) {
    const auto bytes = readFile(rtfPath);
    if (!bytes)
        return refusal(u"cannot read RTF file %1"_s.arg(rtfPath));
    if (!bytes->startsWith("{\\rtf"))
        return refusal(u"%1 is not an RTF document"_s.arg(rtfPath));
    return RichTextContent{*bytes, plain};
}
