#include "SearchIndex.h"

#include "ClipStore.h"
#include "SubstringFinder.h"

#include <QSet>

QString SearchIndex::folded(const QString& text) {
    return text.normalized(QString::NormalizationForm_C).toCaseFolded();
}

QList<ClipItem> SearchIndex::search(const QList<ClipItem>& items, const QString& query) {
    const SubstringFinder finder(folded(query.trimmed()).toUtf8());
    if (finder.needle().isEmpty())
        return {};
    forgetEntriesNotIn(items);
    QList<ClipItem> found;
    for (const ClipItem& item : items) {
        if (finder.isFoundIn(foldedText(item)))
            found.append(item);
    }
    return ClipStore::newestFirst(std::move(found));
}

const QByteArray& SearchIndex::foldedText(const ClipItem& item) {
    auto kept = m_folded.find(item.id);
    if (kept == m_folded.end())
        kept = m_folded.insert(item.id, folded(searchText(item.content)).toUtf8());
    return *kept;
}

void SearchIndex::forgetEntriesNotIn(const QList<ClipItem>& items) {
    // Only worth a look once entries have come and gone.
    if (m_folded.size() <= items.size())
        return;
    QSet<QUuid> current;
    for (const ClipItem& item : items)
        current.insert(item.id);
    m_folded.removeIf([&](const auto& entry) { return !current.contains(entry.key()); });
}
