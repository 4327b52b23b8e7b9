#include "ClipboardOffer.h"

#include "ClipboardURLs.h"
#include "capture/HtmlToRtf.h"

#include <QImageReader>

namespace {

const QByteArrayList utf8TextTypes{"UTF8_STRING", "text/plain;charset=utf-8", "text/plain"};
const QByteArrayList rtfTypes{"text/rtf", "application/rtf", "text/richtext"};

const QByteArrayList markerTypes{"org.nspasteboard.ConcealedType", "org.nspasteboard.TransientType",
                                 "x-kde-passwordManagerHint"};

struct OfferReader {
    const QByteArrayList& types;
    const ClipboardOffer::Read& read;

    std::optional<QByteArray> first(const QByteArrayList& candidates) const {
        for (const QByteArray& type : candidates) {
            if (types.contains(type))
                return read(type);
        }
        return std::nullopt;
    }
};

QByteArrayList allWantedTypes() {
    QByteArrayList names = utf8TextTypes + rtfTypes + markerTypes;
    names << "text/html";
    names << "STRING"
          << "text/uri-list"
          << "x-special/gnome-copied-files";
    // The picture types Qt and its Debian plugins decode, named here rather
    // than asked of Qt: asking loads every image plugin at start. Whether one
    // is decodable is checked when such a copy comes.
    names << "image/png"
          << "image/tiff"
          << "image/jpeg"
          << "image/gif"
          << "image/bmp"
          << "image/x-bmp"
          << "image/webp"
          << "image/x-icon"
          << "image/vnd.microsoft.icon"
          << "image/x-portable-bitmap"
          << "image/x-portable-graymap"
          << "image/x-portable-pixmap"
          << "image/x-xbitmap"
          << "image/x-xpixmap"
          << "image/svg+xml"
          << "image/x-tga"
          << "image/x-icns"
          << "image/vnd.wap.wbmp";
    return names;
}

QString withoutTrailingNul(QString text) {
    // Some owners count the C string terminator as part of the data.
    while (text.endsWith(QChar(0)))
        text.chop(1);
    return text;
}

} // namespace

QByteArrayList ClipboardOffer::wantedTypes() {
    static const QByteArrayList names = allWantedTypes();
    return names;
}

bool ClipboardOffer::hasMarker(const QByteArrayList& types) {
    return std::any_of(types.cbegin(), types.cend(),
                       [](const QByteArray& type) { return markerTypes.contains(type); });
}

namespace {

std::optional<QString> readText(const OfferReader& offer) {
    if (const auto utf8 = offer.first(utf8TextTypes))
        return withoutTrailingNul(QString::fromUtf8(*utf8));
    if (const auto latin1 = offer.first({"STRING"}))
        return withoutTrailingNul(QString::fromLatin1(*latin1));
    return std::nullopt;
}

// Only when there is no PNG: another picture type is not worth a transfer
// otherwise.
std::optional<QByteArray> readOtherImage(const OfferReader& offer) {
    if (offer.types.contains("image/tiff"))
        return offer.read("image/tiff");
    const QByteArrayList decodable = QImageReader::supportedMimeTypes();
    for (const QByteArray& type : offer.types) {
        if (type.startsWith("image/") && type != "image/png" && decodable.contains(type))
            return offer.read(type);
    }
    return std::nullopt;
}

// Rich text the way browsers and most Linux programs copy it. Its words
// come from the HTML too where no plain text is offered, or where the plain
// text is the HTML source itself: wl-copy -t text/html offers its bytes
// under the plain-text names as well.
void readHtml(const OfferReader& offer, PasteboardSnapshot& snapshot) {
    const auto html = offer.first({"text/html"});
    if (!html)
        return;
    const std::optional<HtmlText> read = HtmlToRtf::read(*html);
    if (!read)
        return;
    snapshot.rtf = read->rtf;
    const bool offersSource = snapshot.string && snapshot.string->toUtf8() == *html;
    if (snapshot.string && !offersSource)
        return;
    snapshot.string =
        read->plainText.trimmed().isEmpty() ? std::nullopt : std::optional(read->plainText);
}

void readURLs(const OfferReader& offer, PasteboardSnapshot& snapshot) {
    if (const auto uriList = offer.first({"text/uri-list"})) {
        const ClipboardURLs urls = ClipboardURLs::fromUriList(*uriList);
        snapshot.fileURLs = urls.fileURLs;
        snapshot.webURLs = urls.webURLs;
    }
    if (snapshot.fileURLs.isEmpty()) {
        if (const auto copied = offer.first({"x-special/gnome-copied-files"}))
            snapshot.fileURLs = ClipboardURLs::fromGnomeCopiedFiles(*copied).fileURLs;
    }
}

} // namespace

std::optional<PasteboardSnapshot> ClipboardOffer::snapshot(const QByteArrayList& types,
                                                           const Read& read) {
    if (hasMarker(types))
        return std::nullopt;
    const OfferReader offer{types, read};
    PasteboardSnapshot snapshot;
    snapshot.string = readText(offer);
    snapshot.rtf = offer.first(rtfTypes);
    if (!snapshot.rtf)
        readHtml(offer, snapshot);
    snapshot.png = offer.first({"image/png"});
    if (!snapshot.png || snapshot.png->isEmpty())
        snapshot.tiff = readOtherImage(offer);
    readURLs(offer, snapshot);
    return snapshot;
}
