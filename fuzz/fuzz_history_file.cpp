// The history file reader: any document ClipDisk::decode accepts must load,
// save and load again to the same entries and the same kept records, as
// ClipStore does with items.json at every start and every change.

#include "FuzzSupport.h"
#include "history/ClipDisk.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Image records need their picture beside the document. This id has one;
// the seed corpus uses it, so image records can load and round-trip.
const QUuid pictureId = QUuid::fromString(u"5E1F6B2C-3A4D-4E8F-9B0A-1C2D3E4F5A6B"_s);

QString imagesDirectory() {
    static QTemporaryDir folder;
    static const bool ready = [] {
        QFile picture(folder.path() + u'/' + idText(pictureId) + ".png"_L1);
        return folder.isValid() && picture.open(QIODevice::WriteOnly) &&
               picture.write("\x89PNG\r\n\x1a\n") == 8;
    }();
    if (!ready)
        fuzz::fail("cannot create the images folder");
    return folder.path();
}

using Loaded = ClipDisk::Entries;

std::optional<Loaded> load(const QByteArray& document) {
    QList<QJsonObject> objects;
    const auto records = ClipDisk::decode(document, &objects);
    if (!records)
        return std::nullopt;
    if (objects.size() != records->size())
        fuzz::fail("decode gave a different number of records and objects");
    return ClipDisk::entries(*records, objects, imagesDirectory());
}

QString describe(const ClipItem& item) {
    QString out = u"id %1, capturedAt %2, source %3, pinned %4, %5"_s.arg(
        idText(item.id), QString::number(item.capturedAt, 'g', 17),
        item.sourceBundleID ? fuzz::visible(*item.sourceBundleID) : u"none"_s,
        item.isPinned ? u"yes"_s : u"no"_s, kindName(item.content));
    if (const auto* text = std::get_if<TextContent>(&item.content))
        out += u": "_s + fuzz::visible(text->text);
    if (const auto* rich = std::get_if<RichTextContent>(&item.content))
        out += u": rtf "_s + fuzz::visible(rich->rtf) + u", plain "_s + fuzz::visible(rich->plain);
    if (const auto* files = std::get_if<FilesContent>(&item.content)) {
        for (const QUrl& url : files->urls)
            out += u"\n  url "_s + fuzz::visible(url.toString(QUrl::FullyEncoded)) + u" path "_s +
                   fuzz::visible(url.toLocalFile());
    }
    if (const auto* link = std::get_if<LinkContent>(&item.content))
        out += u": "_s + fuzz::visible(link->url.toString(QUrl::FullyEncoded));
    return out;
}

void compare(const Loaded& first, const Loaded& again, const QByteArray& saved) {
    const QString document = u"saved document: "_s + fuzz::visible(QString::fromUtf8(saved));
    if (again.items.size() != first.items.size())
        fuzz::fail("a saved history loads a different number of entries",
                   u"%1 entries, then %2\n%3"_s.arg(first.items.size())
                       .arg(again.items.size())
                       .arg(document));
    for (qsizetype i = 0; i < first.items.size(); ++i) {
        if (again.items[i] != first.items[i])
            fuzz::fail("a saved entry loads as a different entry",
                       u"loaded:  %1\nreloaded: %2\n%3"_s.arg(describe(first.items[i]),
                                                              describe(again.items[i]), document));
    }
    if (again.kept != first.kept)
        fuzz::fail("records of unknown kinds change when saved", document);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietWarnings();
    imagesDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto first = load(fuzz::bytes(data, size));
    if (!first)
        return 0;
    const QByteArray saved = ClipDisk::encode(first->items, first->kept);
    const auto again = load(saved);
    if (!again)
        fuzz::fail("a saved history is unreadable",
                   u"saved document: "_s + fuzz::visible(QString::fromUtf8(saved)));
    compare(*first, *again, saved);

    // The command line's JSON listing is the same records as an array.
    const QJsonDocument records =
        QJsonDocument::fromJson(ClipDisk::encodeRecords(first->items, first->kept));
    if (!records.isArray() || records.array().size() != first->items.size() + first->kept.size())
        fuzz::fail("encodeRecords wrote no array of every record");
    return 0;
}
