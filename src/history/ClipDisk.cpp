#include "ClipDisk.h"

#include "PictureText.h"
#include "PrivateFiles.h"
#include "launch/HistoryFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

using namespace Qt::StringLiterals;

ClipDisk::ClipDisk(QString directory) : m_directory(std::move(directory)) {}

QString ClipDisk::defaultDirectory() {
    return HistoryFolder::userDefault();
}

QString ClipDisk::historyFilePath() const {
    return m_directory + "/items.json"_L1;
}

QString ClipDisk::imagesDirectory() const {
    return m_directory + "/images"_L1;
}

QString ClipDisk::imagePath(const QUuid& id) const {
    return imagesDirectory() + u'/' + idText(id) + ".png"_L1;
}

void ClipDisk::createFolders() const {
    if (createPrivateFolder(m_directory))
        createPrivateFolder(imagesDirectory());
}

QList<ClipItem> ClipDisk::load() {
    if (!QFileInfo::exists(historyFilePath()))
        return {};
    std::optional<QList<ClipDiskItem>> records;
    QList<QJsonObject> objects;
    if (const auto document = readRegularFile(historyFilePath(), maximumHistoryBytes))
        records = decode(*document, &objects);
    if (!records) {
        m_unreadableHistory = true;
        return {};
    }
    Entries found = entries(*records, objects, imagesDirectory());
    m_keptRecords = std::move(found.kept);
    return std::move(found.items);
}

ClipDisk::Entries ClipDisk::entries(const QList<ClipDiskItem>& records,
                                    const QList<QJsonObject>& objects,
                                    const QString& imagesDirectory) {
    Entries found;
    QSet<QUuid> seen;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const ClipDiskItem& record = records[i];
        // A hand-edited file may repeat an id; the first record keeps it.
        if (seen.contains(record.id))
            continue;
        if (!record.hasKnownKind()) {
            seen.insert(record.id);
            found.kept.append(objects.value(i));
        } else if (auto item = record.toItem(imagesDirectory)) {
            seen.insert(record.id);
            found.items.append(std::move(*item));
        }
    }
    return found;
}

bool ClipDisk::save(const QList<ClipItem>& items) {
    if (m_unreadableHistory && !moveUnreadableHistoryAside())
        return false;
    return write(snapshot(items));
}

ClipDisk::Snapshot ClipDisk::snapshot(const QList<ClipItem>& items) const {
    return {historyFilePath(), items, m_keptRecords};
}

bool ClipDisk::write(const Snapshot& snapshot) {
    return writePrivateFileAtomically(snapshot.path, encode(snapshot.items, snapshot.kept));
}

bool ClipDisk::moveUnreadableHistoryAside() {
    if (!keepUnreadableFileAside(historyFilePath()))
        return false;
    m_unreadableHistory = false;
    return true;
}

bool ClipDisk::writeImage(const QUuid& id, const QByteArray& png) const {
    return writePrivateFileAtomically(imagePath(id), png);
}

void ClipDisk::removeImage(const QUuid& id) const {
    QFile::remove(imagePath(id));
    PictureText::remove(imagePath(id));
}

QByteArray ClipDisk::encode(const QList<ClipItem>& items, const QList<QJsonObject>& kept) {
    QByteArray out("{\"items\":");
    out.append(encodeRecords(items, kept));
    out.append('}');
    return out;
}

QByteArray ClipDisk::encodeRecords(const QList<ClipItem>& items, const QList<QJsonObject>& kept) {
    QByteArray out;
    out.append('[');
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            out.append(',');
        ClipDiskItem::fromItem(items[i]).appendJson(out);
    }
    for (qsizetype i = 0; i < kept.size(); ++i) {
        if (i > 0 || !items.isEmpty())
            out.append(',');
        out.append(QJsonDocument(kept[i]).toJson(QJsonDocument::Compact));
    }
    out.append(']');
    return out;
}

std::optional<QList<ClipDiskItem>> ClipDisk::decode(const QByteArray& document,
                                                    QList<QJsonObject>* objects) {
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(document, &error);
    if (error.error != QJsonParseError::NoError || !json.isObject())
        return std::nullopt;
    const QJsonValue items = json.object().value("items"_L1);
    if (!items.isArray())
        return std::nullopt;
    QList<ClipDiskItem> records;
    for (const QJsonValue value : items.toArray()) {
        if (!value.isObject())
            return std::nullopt;
        auto record = ClipDiskItem::fromJson(value.toObject());
        if (!record)
            return std::nullopt;
        records.append(std::move(*record));
        if (objects)
            objects->append(value.toObject());
    }
    return records;
}
