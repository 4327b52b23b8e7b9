// Clipboard classification: what an X11 clipboard owner offers becomes at
// most one clip. The input is a flags byte, then the offered data separated
// by 0xFF bytes, in this order: text, RTF, PNG, another image type,
// text/uri-list, x-special/gnome-copied-files. A flag bit says whether each
// is offered (a present but empty offer differs from none); the snapshot is
// filled the way the X11 reader fills it. The clip must follow the
// documented priority, and must survive the history file: saved and loaded
// again it must still be the same clip (the same content hash).

#include "FuzzSupport.h"
#include "capture/ClipClassification.h"
#include "history/ClipDisk.h"
#include "platform/x11/ClipboardURLs.h"

#include <QByteArrayList>

#include <cstddef>
#include <cstdint>

using namespace Qt::StringLiterals;

namespace {

enum Flag : std::uint8_t {
    hasText = 1 << 0,
    textIsLatin1 = 1 << 1, // offered as STRING rather than UTF8_STRING
    hasRtf = 1 << 2,
    hasPng = 1 << 3,
    hasOtherImage = 1 << 4,
    hasUriList = 1 << 5,
    hasGnomeCopiedFiles = 1 << 6,
};

enum Field { text, rtf, png, otherImage, uriList, gnomeCopiedFiles, fieldCount };

std::optional<QByteArray> field(const QByteArrayList& fields, std::uint8_t flags, Flag flag,
                                Field index) {
    if (!(flags & flag))
        return std::nullopt;
    return index < fields.size() ? fields[index] : QByteArray();
}

// As GeneralPasteboard::snapshot reads the offer.
PasteboardSnapshot snapshotOf(const QByteArray& input) {
    PasteboardSnapshot snapshot;
    if (input.isEmpty())
        return snapshot;
    const auto flags = std::uint8_t(input[0]);
    const QByteArrayList fields = input.sliced(1).split('\xff');
    if (const auto bytes = field(fields, flags, hasText, text)) {
        QString string =
            flags & textIsLatin1 ? QString::fromLatin1(*bytes) : QString::fromUtf8(*bytes);
        while (string.endsWith(QChar(0)))
            string.chop(1);
        snapshot.string = string;
    }
    snapshot.rtf = field(fields, flags, hasRtf, rtf);
    snapshot.png = field(fields, flags, hasPng, png);
    if (!snapshot.png || snapshot.png->isEmpty())
        snapshot.tiff = field(fields, flags, hasOtherImage, otherImage);
    if (const auto list = field(fields, flags, hasUriList, uriList)) {
        const ClipboardURLs urls = ClipboardURLs::fromUriList(*list);
        snapshot.fileURLs = urls.fileURLs;
        snapshot.webURLs = urls.webURLs;
    }
    if (snapshot.fileURLs.isEmpty()) {
        if (const auto copied = field(fields, flags, hasGnomeCopiedFiles, gnomeCopiedFiles))
            snapshot.fileURLs = ClipboardURLs::fromGnomeCopiedFiles(*copied).fileURLs;
    }
    return snapshot;
}

void checkPriority(const PasteboardSnapshot& snapshot, const std::optional<ClipContent>& clip) {
    if (!snapshot.fileURLs.isEmpty()) {
        if (!clip || *clip != ClipContent(FilesContent{snapshot.fileURLs}))
            fuzz::fail("offered files did not become a files clip");
        return;
    }
    if (snapshot.png && !snapshot.png->isEmpty()) {
        if (!clip || *clip != ClipContent(ImageContent{*snapshot.png}))
            fuzz::fail("an offered PNG did not become an image clip");
        return;
    }
    if (!clip)
        return;
    if (const auto* image = std::get_if<ImageContent>(&*clip)) {
        if (!snapshot.tiff || !image->png.startsWith("\x89PNG\r\n\x1a\n"))
            fuzz::fail("an image clip that is no PNG or comes from no image");
    } else if (const auto* rich = std::get_if<RichTextContent>(&*clip)) {
        if (!snapshot.rtf || rich->rtf != *snapshot.rtf ||
            (snapshot.string && rich->plain != *snapshot.string))
            fuzz::fail("a rich text clip that is not the offered RTF and text");
    } else if (const auto* textClip = std::get_if<TextContent>(&*clip)) {
        // Text is kept exactly as copied, and blank text is no clip.
        if (!snapshot.string || textClip->text != *snapshot.string ||
            snapshot.string->trimmed().isEmpty())
            fuzz::fail("a text clip that is not the offered text", fuzz::visible(textClip->text));
    } else if (const auto* link = std::get_if<LinkContent>(&*clip)) {
        if (!link->url.isValid() || link->url.isRelative())
            fuzz::fail("a link clip that is no absolute URL",
                       fuzz::visible(link->url.toString(QUrl::FullyEncoded)));
    } else {
        fuzz::fail("a files clip without offered files");
    }
}

// The history keeps pictures in files of their own; every other clip is
// written to the history document and must read back as the same clip.
void checkStorage(const ClipContent& clip) {
    if (std::holds_alternative<ImageContent>(clip))
        return;
    const ClipItem item{QUuid::fromString(u"0F8FAD5B-D9CB-469F-A165-70867728950E"_s), 1.5,
                        std::nullopt, clip, false};
    const QByteArray document = ClipDisk::encode({item});
    const auto records = ClipDisk::decode(document);
    if (!records || records->size() != 1)
        fuzz::fail("a captured clip makes the history unreadable",
                   fuzz::visible(QString::fromUtf8(document)));
    const auto reloaded = records->first().toItem(QString());
    if (!reloaded)
        fuzz::fail("a captured clip is dropped when the history is loaded",
                   fuzz::visible(QString::fromUtf8(document)));
    if (contentHash(reloaded->content) != contentHash(clip))
        fuzz::fail("a captured clip is another clip once the history is loaded",
                   u"saved %1\nloaded %2"_s.arg(fuzz::visible(searchText(clip)),
                                                fuzz::visible(searchText(reloaded->content))) +
                       u"\n"_s + fuzz::visible(QString::fromUtf8(document)));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietWarnings();
    // Image types other than PNG are decoded by Qt's image plugins, which
    // the application object finds.
    fuzz::startApplication("fuzz_snapshot");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const PasteboardSnapshot snapshot = snapshotOf(fuzz::bytes(data, size));
    const std::optional<ClipContent> clip = clipContent(snapshot);
    checkPriority(snapshot, clip);
    if (clip)
        checkStorage(*clip);
    return 0;
}
