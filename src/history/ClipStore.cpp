#include "ClipStore.h"

#include "SearchIndex.h"

#include <QSet>

#include <algorithm>

ClipStore::ClipStore(const QString& directory) : m_disk(directory) {
    m_disk.createFolders();
    m_items = m_disk.load();
    m_startedFromUnreadableHistory = m_disk.holdsUnreadableHistory();
    m_hashes.reserve(m_items.size());
    // A picture's hash waits until another picture of its size is copied:
    // computing it would read its file.
    for (const ClipItem& item : std::as_const(m_items)) {
        if (!std::holds_alternative<ImageContent>(item.content))
            m_hashes.insert(item.id, contentHash(item.content));
    }
}

ClipStore::~ClipStore() {
    flush();
}

void ClipStore::saveInBackground() {
    if (!m_saver) {
        m_saver =
            std::make_unique<HistorySaver>([this](const ClipDisk::Snapshot& snapshot,
                                                  bool written) { finishSave(snapshot, written); });
    }
}

void ClipStore::flush() {
    if (m_saver)
        m_saver->waitUntilWritten();
}

void ClipStore::setLimit(int limit) {
    m_limit = limit;
    if (trim())
        saveAndNotify();
}

std::optional<QUuid> ClipStore::add(const ClipContent& content,
                                    const std::optional<QString>& sourceBundleID, double capturedAt,
                                    bool heldBack) {
    const QByteArray hash = contentHash(content);
    if (const qsizetype duplicate = indexOfContent(content, hash); duplicate >= 0) {
        ClipItem& item = m_items[duplicate];
        item.capturedAt = capturedAt;
        if (sourceBundleID)
            item.sourceBundleID = sourceBundleID;
        saveAndNotify();
        return item.id;
    }
    ClipItem item{QUuid::createUuid(), capturedAt, sourceBundleID, content, false};
    if (!writeImageOf(item))
        return std::nullopt;
    rememberHash(item, hash);
    const QUuid id = item.id;
    if (heldBack)
        m_heldBack.insert(id);
    m_items.append(std::move(item));
    trim();
    saveAndNotify();
    return id;
}

void ClipStore::release(const QUuid& id) {
    if (m_heldBack.remove(id))
        saveAndNotify();
}

void ClipStore::setPinned(bool pinned, const QUuid& id) {
    const qsizetype index = indexOf(id);
    if (index < 0)
        return;
    m_items[index].isPinned = pinned;
    m_heldBack.remove(id);
    if (!pinned)
        trim();
    saveAndNotify();
}

void ClipStore::deleteItem(const QUuid& id) {
    const qsizetype index = indexOf(id);
    if (index < 0)
        return;
    removeAt(index);
    saveAndNotify();
}

void ClipStore::restore(const ClipItem& removed) {
    ClipItem item = removed;
    const QByteArray hash = contentHash(item.content);
    if (indexOf(item.id) >= 0 || indexOfContent(item.content, hash) >= 0 || !writeImageOf(item))
        return;
    rememberHash(item, hash);
    m_items.append(item);
    trim(item.id);
    saveAndNotify();
}

void ClipStore::clearAll() {
    for (const ClipItem& item : std::as_const(m_items))
        forget(item);
    m_items.clear();
    m_disk.forgetKeptRecords();
    saveAndNotify();
}

bool ClipStore::writeImageOf(ClipItem& item) {
    const auto* image = std::get_if<ImageContent>(&item.content);
    if (!image)
        return true;
    // Written again from its own file (a restored entry) when that still
    // holds it.
    const bool inPlace = !image->holdsBytes() && image->filePath() == m_disk.imagePath(item.id) &&
                         m_staleImages.contains(item.id);
    if (!inPlace) {
        const QByteArray png = image->png();
        if (png.isEmpty() || !m_disk.writeImage(item.id, png)) {
            if (onWriteFailure)
                onWriteFailure(WriteFailure::image);
            return false;
        }
    }
    // From now on the bytes are the file's, not the memory's.
    item.content = image->storedIn(m_disk.imagePath(item.id));
    m_staleImages.remove(item.id);
    m_unsavedImages.insert(item.id);
    return true;
}

std::optional<QUuid> ClipStore::idOfContent(const ClipContent& content) const {
    const qsizetype index = indexOfContent(content, contentHash(content));
    return index < 0 ? std::nullopt : std::optional(m_items[index].id);
}

void ClipStore::rememberHash(const ClipItem& item, const QByteArray& hash) {
    if (!std::holds_alternative<ImageContent>(item.content))
        m_hashes.insert(item.id, hash);
}

qsizetype ClipStore::indexOf(const QUuid& id) const {
    const auto it = std::find_if(m_items.cbegin(), m_items.cend(),
                                 [&](const ClipItem& item) { return item.id == id; });
    return it == m_items.cend() ? -1 : it - m_items.cbegin();
}

qsizetype ClipStore::indexOfContent(const ClipContent& content, const QByteArray& hash) const {
    const auto* image = std::get_if<ImageContent>(&content);
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        // A picture of another size is another picture, found without
        // reading its file; its hash, once read, stays with it.
        if (const auto* stored = std::get_if<ImageContent>(&m_items[i].content)) {
            if (image && stored->byteSize() == image->byteSize() && stored->contentHash() == hash)
                return i;
        } else if (m_hashes.value(m_items[i].id) == hash) {
            return i;
        }
    }
    return -1;
}

bool ClipStore::trim(const std::optional<QUuid>& protectedId) {
    const auto unpinned = std::count_if(m_items.cbegin(), m_items.cend(),
                                        [](const ClipItem& item) { return !item.isPinned; });
    if (unpinned <= m_limit)
        return false;
    // The oldest unpinned entries go, earlier ones first among equal times;
    // chosen in one pass and removed in another, so a history far over the
    // limit (a lowered limit, an old file) is trimmed in linear time.
    QList<qsizetype> candidates;
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (!m_items[i].isPinned && m_items[i].id != protectedId)
            candidates.append(i);
    }
    const qsizetype excess = std::min<qsizetype>(unpinned - m_limit, candidates.size());
    if (excess <= 0)
        return false;
    const auto older = [this](qsizetype a, qsizetype b) {
        return std::pair(m_items[a].capturedAt, a) < std::pair(m_items[b].capturedAt, b);
    };
    std::nth_element(candidates.begin(), candidates.begin() + (excess - 1), candidates.end(),
                     older);
    QSet<qsizetype> victims(candidates.cbegin(), candidates.cbegin() + excess);
    QList<ClipItem> kept;
    kept.reserve(m_items.size() - excess);
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (victims.contains(i))
            forget(m_items[i]);
        else
            kept.append(std::move(m_items[i]));
    }
    m_items = std::move(kept);
    return true;
}

void ClipStore::removeAt(qsizetype index) {
    forget(m_items.takeAt(index));
}

void ClipStore::forget(const ClipItem& item) {
    m_hashes.remove(item.id);
    m_heldBack.remove(item.id);
    if (!std::holds_alternative<ImageContent>(item.content))
        return;
    // An image the saved history never named goes at once; one it names
    // (or a history being written may name) stays until a history without it
    // is saved, so a failed save loses no picture and a successful one
    // leaves no orphan.
    const bool mayBeNamed = m_saver && m_saver->isBusy();
    if (m_unsavedImages.remove(item.id) && !mayBeNamed)
        m_disk.removeImage(item.id);
    else
        m_staleImages.insert(item.id);
}

void ClipStore::saveAndNotify() {
    // Moving an unreadable history aside happens once, before anything
    // else is written: in order, on this thread.
    const QList<ClipItem> items = itemsOnDisk();
    if (m_saver && !m_disk.holdsUnreadableHistory()) {
        m_saver->save(m_disk.snapshot(items));
    } else {
        const bool written = m_disk.save(items);
        finishSave(m_disk.snapshot(items), written);
    }
    if (onChange)
        onChange();
}

QList<ClipItem> ClipStore::itemsOnDisk() const {
    if (m_heldBack.isEmpty())
        return m_items;
    QList<ClipItem> items;
    std::copy_if(m_items.cbegin(), m_items.cend(), std::back_inserter(items),
                 [this](const ClipItem& item) { return !m_heldBack.contains(item.id); });
    return items;
}

void ClipStore::finishSave(const ClipDisk::Snapshot& snapshot, bool written) {
    m_lastSaveSucceeded = written;
    if (!written) {
        if (onWriteFailure)
            onWriteFailure(WriteFailure::history);
        return;
    }
    QSet<QUuid> named;
    for (const ClipItem& item : snapshot.items) {
        if (std::holds_alternative<ImageContent>(item.content))
            named.insert(item.id);
    }
    // Pictures of entries removed since; one written again meanwhile is no
    // longer stale.
    for (auto it = m_staleImages.begin(); it != m_staleImages.end();) {
        if (named.contains(*it)) {
            ++it;
            continue;
        }
        m_disk.removeImage(*it);
        it = m_staleImages.erase(it);
    }
    m_unsavedImages.subtract(named);
}

QList<ClipItem> ClipStore::newestFirst(QList<ClipItem> items) {
    std::stable_sort(items.begin(), items.end(), [](const ClipItem& a, const ClipItem& b) {
        return a.capturedAt > b.capturedAt;
    });
    return items;
}

QList<ClipItem> ClipStore::recent(const QList<ClipItem>& items, qsizetype count) {
    QList<ClipItem> unpinned;
    std::copy_if(items.cbegin(), items.cend(), std::back_inserter(unpinned),
                 [](const ClipItem& item) { return !item.isPinned; });
    unpinned = newestFirst(std::move(unpinned));
    unpinned.resize(std::clamp<qsizetype>(count, 0, unpinned.size()));
    return unpinned;
}

QList<ClipItem> ClipStore::pinnedItems(const QList<ClipItem>& items) {
    QList<ClipItem> pinned;
    std::copy_if(items.cbegin(), items.cend(), std::back_inserter(pinned),
                 [](const ClipItem& item) { return item.isPinned; });
    return newestFirst(std::move(pinned));
}

QList<ClipItem> ClipStore::search(const QList<ClipItem>& items, const QString& query) {
    return SearchIndex().search(items, query);
}
