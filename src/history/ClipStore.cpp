#include "ClipStore.h"

#include <algorithm>

ClipStore::ClipStore(const QString& directory) : m_disk(directory) {
    m_disk.createFolders();
    m_items = m_disk.load();
    m_startedFromUnreadableHistory = m_disk.holdsUnreadableHistory();
    m_hashes.reserve(m_items.size());
    for (const ClipItem& item : std::as_const(m_items))
        m_hashes.insert(item.id, contentHash(item.content));
}

void ClipStore::setLimit(int limit) {
    m_limit = limit;
    if (trim())
        saveAndNotify();
}

void ClipStore::add(const ClipContent& content, const std::optional<QString>& sourceBundleID,
                    double capturedAt) {
    const QByteArray hash = contentHash(content);
    if (const qsizetype duplicate = indexOfHash(hash); duplicate >= 0) {
        ClipItem& item = m_items[duplicate];
        item.capturedAt = capturedAt;
        if (sourceBundleID)
            item.sourceBundleID = sourceBundleID;
        saveAndNotify();
        return;
    }
    ClipItem item{QUuid::createUuid(), capturedAt, sourceBundleID, content, false};
    if (const auto* image = std::get_if<ImageContent>(&content)) {
        if (!m_disk.writeImage(item.id, image->png))
            return;
    }
    m_hashes.insert(item.id, hash);
    m_items.append(std::move(item));
    trim();
    saveAndNotify();
}

void ClipStore::setPinned(bool pinned, const QUuid& id) {
    const qsizetype index = indexOf(id);
    if (index < 0)
        return;
    m_items[index].isPinned = pinned;
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

void ClipStore::restore(const ClipItem& item) {
    const QByteArray hash = contentHash(item.content);
    if (indexOf(item.id) >= 0 || indexOfHash(hash) >= 0)
        return;
    if (const auto* image = std::get_if<ImageContent>(&item.content)) {
        if (!m_disk.writeImage(item.id, image->png))
            return;
    }
    m_items.append(item);
    m_hashes.insert(item.id, hash);
    trim(item.id);
    saveAndNotify();
}

void ClipStore::clearAll() {
    for (const ClipItem& item : std::as_const(m_items)) {
        if (std::holds_alternative<ImageContent>(item.content))
            m_disk.removeImage(item.id);
    }
    m_items.clear();
    m_hashes.clear();
    saveAndNotify();
}

qsizetype ClipStore::indexOf(const QUuid& id) const {
    const auto it = std::find_if(m_items.cbegin(), m_items.cend(),
                                 [&](const ClipItem& item) { return item.id == id; });
    return it == m_items.cend() ? -1 : it - m_items.cbegin();
}

qsizetype ClipStore::indexOfHash(const QByteArray& hash) const {
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (m_hashes.value(m_items[i].id) == hash)
            return i;
    }
    return -1;
}

std::optional<qsizetype>
ClipStore::oldestUnpinnedIndex(const std::optional<QUuid>& protectedId) const {
    std::optional<qsizetype> oldest;
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        const ClipItem& item = m_items[i];
        if (item.isPinned || item.id == protectedId)
            continue;
        if (!oldest || item.capturedAt < m_items[*oldest].capturedAt)
            oldest = i;
    }
    return oldest;
}

bool ClipStore::trim(const std::optional<QUuid>& protectedId) {
    bool removed = false;
    for (;;) {
        const auto unpinned = std::count_if(m_items.cbegin(), m_items.cend(),
                                            [](const ClipItem& item) { return !item.isPinned; });
        if (unpinned <= m_limit)
            break;
        const auto victim = oldestUnpinnedIndex(protectedId);
        if (!victim)
            break;
        removeAt(*victim);
        removed = true;
    }
    return removed;
}

void ClipStore::removeAt(qsizetype index) {
    const ClipItem item = m_items.takeAt(index);
    m_hashes.remove(item.id);
    if (std::holds_alternative<ImageContent>(item.content))
        m_disk.removeImage(item.id);
}

void ClipStore::saveAndNotify() {
    m_lastSaveSucceeded = m_disk.save(m_items);
    if (onChange)
        onChange();
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
    // Composed and decomposed spellings of the same letter ("é" as one code
    // point or as "e" plus a combining accent) must find each other.
    const QString needle = query.trimmed().normalized(QString::NormalizationForm_C);
    if (needle.isEmpty())
        return {};
    QList<ClipItem> found;
    std::copy_if(items.cbegin(), items.cend(), std::back_inserter(found),
                 [&](const ClipItem& item) {
                     return searchText(item.content)
                         .normalized(QString::NormalizationForm_C)
                         .contains(needle, Qt::CaseInsensitive);
                 });
    return newestFirst(std::move(found));
}
