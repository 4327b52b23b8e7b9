#include "ClipDiskItem.h"

#include "ClipDisk.h"
#include "JsonText.h"
#include "Overloaded.h"
#include "PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

using namespace Qt::StringLiterals;

namespace {

std::optional<QUuid> parseId(const QString& text) {
    if (text.size() != 36)
        return std::nullopt;
    const QUuid id = QUuid::fromString(text);
    if (id.isNull() && text != "00000000-0000-0000-0000-000000000000"_L1)
        return std::nullopt;
    return id;
}

// Reads an optional string member: absent or null is none; another type is a
// decoding error, reported through `ok`.
std::optional<QString> optionalString(const QJsonObject& object, const QString& key, bool& ok) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    if (!value.isString()) {
        ok = false;
        return std::nullopt;
    }
    return value.toString();
}

std::optional<QStringList> optionalStringList(const QJsonObject& object, const QString& key,
                                              bool& ok) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    if (!value.isArray()) {
        ok = false;
        return std::nullopt;
    }
    QStringList list;
    for (const QJsonValue element : value.toArray()) {
        if (!element.isString()) {
            ok = false;
            return std::nullopt;
        }
        list.append(element.toString());
    }
    return list;
}

bool isBase64Character(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
           c == u'+' || c == u'/';
}

// The picture of an image record. A file named after the id in other
// letters (written by hand or by another tool) is found and renamed to the
// usual name, so later saves and removals find it too.
std::optional<ClipContent> imageContent(const QString& imagesDirectory, const QUuid& id) {
    const QString name = idText(id) + ".png"_L1;
    const QString path = imagesDirectory + u'/' + name;
    if (!QFileInfo::exists(path)) {
        const QStringList others = QDir(imagesDirectory).entryList({name}, QDir::Files);
        if (others.isEmpty() || !QFile::rename(imagesDirectory + u'/' + others.first(), path))
            return std::nullopt;
    }
    // The header only: the picture's bytes stay in its file until needed.
    const auto start = readRegularFileStart(path, ClipDisk::maximumImageBytes, 24);
    if (!start)
        return std::nullopt;
    return ImageContent::inFile(path, start->size, start->bytes);
}

} // namespace

std::optional<QByteArray> decodeStrictBase64(const QString& text) {
    if (text.size() % 4 != 0)
        return std::nullopt;
    qsizetype padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == u'=')
        ++padding;
    for (qsizetype i = 0; i < text.size() - padding; ++i) {
        if (!isBase64Character(text[i]))
            return std::nullopt;
    }
    auto decoded =
        QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return *decoded;
}

ClipDiskItem ClipDiskItem::fromItem(const ClipItem& item) {
    ClipDiskItem record;
    record.id = item.id;
    record.capturedAt = item.capturedAt;
    record.sourceBundleID = item.sourceBundleID;
    record.isPinned = item.isPinned;
    record.kind = kindName(item.content);
    std::visit(Overloaded{
                   [&](const TextContent& c) { record.text = c.text; },
                   [&](const RichTextContent& c) {
                       record.rtf = QString::fromLatin1(c.rtf.toBase64());
                       record.plain = c.plain;
                   },
                   [](const ImageContent&) {},
                   [&](const FilesContent& c) {
                       QStringList paths;
                       for (const QUrl& url : c.urls)
                           paths.append(fileSystemPath(url));
                       record.files = paths;
                   },
                   [&](const LinkContent& c) { record.link = absoluteString(c.url); },
               },
               item.content);
    return record;
}

std::optional<ClipDiskItem> ClipDiskItem::fromJson(const QJsonObject& object) {
    const QJsonValue id = object.value("id"_L1);
    const QJsonValue capturedAt = object.value("capturedAt"_L1);
    const QJsonValue isPinned = object.value("isPinned"_L1);
    const QJsonValue kind = object.value("kind"_L1);
    if (!id.isString() || !capturedAt.isDouble() || !isPinned.isBool() || !kind.isString())
        return std::nullopt;
    ClipDiskItem record;
    const auto parsedId = parseId(id.toString());
    if (!parsedId)
        return std::nullopt;
    record.id = *parsedId;
    record.capturedAt = capturedAt.toDouble();
    record.isPinned = isPinned.toBool();
    record.kind = kind.toString();
    bool ok = true;
    record.sourceBundleID = optionalString(object, u"sourceBundleID"_s, ok);
    record.text = optionalString(object, u"text"_s, ok);
    record.rtf = optionalString(object, u"rtf"_s, ok);
    record.plain = optionalString(object, u"plain"_s, ok);
    record.files = optionalStringList(object, u"files"_s, ok);
    record.link = optionalString(object, u"link"_s, ok);
    if (!ok)
        return std::nullopt;
    return record;
}

void ClipDiskItem::appendJson(QByteArray& out) const {
    const auto member = [&out](const char* key) {
        out.append(key);
        out.append(':');
    };
    member("{\"id\"");
    JsonText::appendString(out, idText(id));
    member(",\"capturedAt\"");
    JsonText::appendNumber(out, capturedAt);
    if (sourceBundleID) {
        member(",\"sourceBundleID\"");
        JsonText::appendString(out, *sourceBundleID);
    }
    member(",\"isPinned\"");
    JsonText::appendBool(out, isPinned);
    member(",\"kind\"");
    JsonText::appendString(out, kind);
    appendOptionalMembers(out);
    out.append('}');
}

void ClipDiskItem::appendOptionalMembers(QByteArray& out) const {
    const auto optionalString = [&out](const char* key, const std::optional<QString>& value) {
        if (!value)
            return;
        out.append(key);
        JsonText::appendString(out, *value);
    };
    optionalString(",\"text\":", text);
    optionalString(",\"rtf\":", rtf);
    optionalString(",\"plain\":", plain);
    if (files) {
        out.append(",\"files\":[");
        for (qsizetype i = 0; i < files->size(); ++i) {
            if (i > 0)
                out.append(',');
            JsonText::appendString(out, files->at(i));
        }
        out.append(']');
    }
    optionalString(",\"link\":", link);
}

bool ClipDiskItem::hasKnownKind() const {
    static const QStringList known{u"text"_s, u"richText"_s, u"image"_s, u"files"_s, u"link"_s};
    return known.contains(kind);
}

std::optional<ClipItem> ClipDiskItem::toItem(const QString& imagesDirectory) const {
    std::optional<ClipContent> content;
    if (kind == "text"_L1 && text) {
        content = TextContent{*text};
    } else if (kind == "richText"_L1 && rtf && plain) {
        if (auto bytes = decodeStrictBase64(*rtf))
            content = RichTextContent{*bytes, *plain};
    } else if (kind == "image"_L1) {
        content = imageContent(imagesDirectory, id);
    } else if (kind == "files"_L1 && files) {
        FilesContent list;
        for (const QString& path : *files)
            list.urls.append(localFileURL(path));
        content = list;
    } else if (kind == "link"_L1 && link) {
        const QUrl url(*link, QUrl::StrictMode);
        if (url.isValid() && !url.isEmpty())
            content = LinkContent{url};
    }
    if (!content)
        return std::nullopt;
    return ClipItem{id, capturedAt, sourceBundleID, *content, isPinned};
}
