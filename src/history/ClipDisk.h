#pragma once

#include "ClipDiskItem.h"
#include "ClipItem.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// The history folder: "items.json", the history document, and "images", one
// PNG file per image entry named after the entry's id. Everything written
// here is private to the user (folders 0700, files 0600) and written
// atomically, so a reader never sees a half-written file.
class ClipDisk {
public:
    // Larger history documents and pictures are not read: they are not ours.
    static constexpr qint64 maximumHistoryBytes = 1LL << 30;
    static constexpr qint64 maximumImageBytes = 256LL << 20;

    explicit ClipDisk(QString directory);

    // $XDG_DATA_HOME/Velloq, or the temporary folder + "Velloq" when the
    // platform offers no data folder.
    static QString defaultDirectory();

    QString directory() const { return m_directory; }
    QString historyFilePath() const;
    QString imagesDirectory() const;
    QString imagePath(const QUuid& id) const;

    // Creates the folder and "images" with missing parents; errors are ignored.
    void createFolders() const;

    // Reads the history document. Records whose content cannot be built are
    // skipped; an unreadable or undecodable document gives an empty history
    // and is remembered, so the next save keeps it aside instead of
    // replacing it.
    QList<ClipItem> load();

    // Writes the whole history; false when it could not be written, in which
    // case the previous file is left in place.
    bool save(const QList<ClipItem>& items);

    // What one save of the history writes: taken on the owner's thread,
    // written on any (the entries' data is shared, not copied).
    struct Snapshot {
        QString path;
        QList<ClipItem> items;
        QList<QJsonObject> kept;
    };
    Snapshot snapshot(const QList<ClipItem>& items) const;
    // Writes a snapshot atomically; false when it could not be written.
    // Touches nothing but the file, so it may run on another thread.
    static bool write(const Snapshot& snapshot);

    bool writeImage(const QUuid& id, const QByteArray& png) const;
    void removeImage(const QUuid& id) const;

    // Clearing the history drops the records this version cannot show too.
    void forgetKeptRecords() { m_keptRecords.clear(); }

    // True while an unreadable history document waits to be moved aside.
    bool holdsUnreadableHistory() const { return m_unreadableHistory; }

    // `kept` are records of kinds this version does not know, written back
    // after the entries as they were read.
    static QByteArray encode(const QList<ClipItem>& items, const QList<QJsonObject>& kept = {});
    // The entries as a JSON array of records, in the given order.
    static QByteArray encodeRecords(const QList<ClipItem>& items,
                                    const QList<QJsonObject>& kept = {});
    // nullopt when the document as a whole is unreadable. `objects`, when
    // given, receives each record's JSON object, in the same order.
    static std::optional<QList<ClipDiskItem>> decode(const QByteArray& document,
                                                     QList<QJsonObject>* objects = nullptr);

    // A decoded document's entries: the first record of an id wins, records
    // of unknown kinds are kept as they were, and the others become entries
    // when their content can be built (pictures are looked for in
    // `imagesDirectory`).
    struct Entries {
        QList<ClipItem> items;
        QList<QJsonObject> kept;
    };
    static Entries entries(const QList<ClipDiskItem>& records, const QList<QJsonObject>& objects,
                           const QString& imagesDirectory);

private:
    bool moveUnreadableHistoryAside();

    QString m_directory;
    bool m_unreadableHistory = false;
    QList<QJsonObject> m_keptRecords;
};
