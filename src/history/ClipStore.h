#pragma once

#include "ClipDisk.h"
#include "ClipStoring.h"
#include "HistorySaver.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

// The bounded, persistent clip history. At most `limit` unpinned entries are
// kept (pinned ones are exempt); a repeated copy refreshes the existing entry
// instead of adding one. Every change rewrites the history file and calls
// `onChange`; by default the file is written first, with saveInBackground()
// it is written on another thread while `onChange` runs at once.
class ClipStore final : public ClipStoring {
public:
    static constexpr int defaultLimit = 27;

    enum class WriteFailure { history, image };
    // Called when the history file or a picture could not be written. The
    // store keeps the change in memory and writes everything again at the
    // next change.
    std::function<void(WriteFailure)> onWriteFailure;

    explicit ClipStore(const QString& directory = ClipDisk::defaultDirectory());
    // Writes what is still waiting to be saved.
    ~ClipStore() override;

    // From now on the history file is written on a thread of its own; write
    // failures are still reported on this thread, after the fact.
    void saveInBackground();
    // Waits until every change so far is written, so that
    // lastSaveSucceeded() speaks of them all.
    void flush();

    const QList<ClipItem>& items() const override { return m_items; }
    QString directory() const { return m_disk.directory(); }

    int limit() const { return m_limit; }
    void setLimit(int limit);

    // The id of the entry that holds the content now, added or refreshed;
    // none when its picture could not be written. A new entry `heldBack` is
    // kept in memory only: the history file leaves it out until it is
    // released or pinned, and once removed it was never on disk.
    std::optional<QUuid> add(const ClipContent& content,
                             const std::optional<QString>& sourceBundleID, double capturedAt,
                             bool heldBack = false);
    void release(const QUuid& id);
    bool isHeldBack(const QUuid& id) const { return m_heldBack.contains(id); }
    void setPinned(bool pinned, const QUuid& id) override;
    void deleteItem(const QUuid& id) override;
    void restore(const ClipItem& item) override;
    void clearAll() override;

    // The entry holding content with this hash (see contentHash), if any.
    std::optional<QUuid> idOfContent(const ClipContent& content) const;

    // Whether the most recent write of the history file succeeded. The store
    // keeps working from memory either way; callers that report to a person
    // (the command line) use this to avoid announcing a change that was not
    // stored.
    bool lastSaveSucceeded() const { return m_lastSaveSucceeded; }
    // True when the history file existed but could not be read at start; it
    // is moved aside, not overwritten, by the first save.
    bool startedFromUnreadableHistory() const { return m_startedFromUnreadableHistory; }

    // Queries over a list of entries, newest first (stable for equal times).
    static QList<ClipItem> recent(const QList<ClipItem>& items, qsizetype count);
    static QList<ClipItem> pinnedItems(const QList<ClipItem>& items);
    static QList<ClipItem> search(const QList<ClipItem>& items, const QString& query);
    static QList<ClipItem> newestFirst(QList<ClipItem> items);

private:
    qsizetype indexOf(const QUuid& id) const;
    qsizetype indexOfContent(const ClipContent& content, const QByteArray& hash) const;
    void rememberHash(const ClipItem& item, const QByteArray& hash);
    bool trim(const std::optional<QUuid>& protectedId = std::nullopt);
    void removeAt(qsizetype index);
    void forget(const ClipItem& item);
    bool writeImageOf(ClipItem& item);
    void saveAndNotify();
    QList<ClipItem> itemsOnDisk() const;
    void finishSave(const ClipDisk::Snapshot& snapshot, bool written);

    int m_limit = defaultLimit;
    QList<ClipItem> m_items;
    ClipDisk m_disk;
    QHash<QUuid, QByteArray> m_hashes;
    // Image files written since the last successful save, and image files of
    // removed entries that the saved history still names.
    QSet<QUuid> m_unsavedImages;
    QSet<QUuid> m_staleImages;
    QSet<QUuid> m_heldBack;
    bool m_lastSaveSucceeded = true;
    bool m_startedFromUnreadableHistory = false;
    std::unique_ptr<HistorySaver> m_saver;
};
