#pragma once

#include "ClipItem.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QUuid>

// Each entry's searchable text, composed and case-folded once and kept
// while the entry exists, so that every keystroke of a query costs one plain
// substring search per entry instead of folding all the history again.
class SearchIndex {
public:
    // The entries whose text contains the query (trimmed; letters of any case
    // and composed or decomposed accents match), newest first; none for a
    // blank query. The same answer as ClipStore::search.
    QList<ClipItem> search(const QList<ClipItem>& items, const QString& query);

    // Composed ("é" as one code point) and case-folded.
    static QString folded(const QString& text);

private:
    const QByteArray& foldedText(const ClipItem& item);
    void forgetEntriesNotIn(const QList<ClipItem>& items);

    // As UTF-8, where a substring is found fastest (and a match of bytes is
    // a match of characters). An entry's content never changes under its id.
    QHash<QUuid, QByteArray> m_folded;
};
