#include "SearchIndex.h"

#include "ClipStore.h"
#include "SubstringFinder.h"

#include <QSet>

QString SearchIndex::folded(const QString& text) {
    return text.normalized(QString::NormalizationForm_C).toCaseFolded();
}

namespace {

// Whether the finder's needle is in `text`, folded a window at a time; each
// window starts early enough to hold a match that began in the one before.
bool isFoundWindowByWindow(const SubstringFinder& finder, const QString& text) {
    // A folded, composed character takes at least one byte per UTF-16 unit
    // it came from, so a match never spans more units than the needle's
    // bytes; a few more cover what composition joins across the edge.
    const qsizetype overlap = finder.needle().size() + 8;
    for (qsizetype start = 0; start < text.size(); start += SearchIndex::windowLength) {
        qsizetype begin = qMax<qsizetype>(0, start - overlap);
        qsizetype end = qMin(text.size(), start + SearchIndex::windowLength);
        // Never half a surrogate pair at either edge.
        if (begin > 0 && text[begin].isLowSurrogate())
            --begin;
        if (end < text.size() && text[end].isLowSurrogate())
            ++end;
        const QString window = text.sliced(begin, end - begin);
        if (finder.isFoundIn(SearchIndex::folded(window).toUtf8()))
            return true;
    }
    return false;
}

} // namespace

QList<ClipItem> SearchIndex::search(const QList<ClipItem>& items, const QString& query) {
    const SubstringFinder finder(folded(query.trimmed()).toUtf8());
    if (finder.needle().isEmpty())
        return {};
    forgetEntriesNotIn(items);
    QList<ClipItem> found;
    for (const ClipItem& item : items) {
        if (isFoundIn(finder, item))
            found.append(item);
    }
    return ClipStore::newestFirst(std::move(found));
}

bool SearchIndex::isFoundIn(const SubstringFinder& finder, const ClipItem& item) {
    if (const auto kept = m_folded.constFind(item.id); kept != m_folded.constEnd())
        return finder.isFoundIn(*kept);
    const QString text = searchText(item.content);
    if (text.size() > keptTextLimit)
        return isFoundWindowByWindow(finder, text);
    // A picture's text arrives after the picture: not kept until it has.
    if (text.isEmpty())
        return false;
    return finder.isFoundIn(*m_folded.insert(item.id, folded(text).toUtf8()));
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
