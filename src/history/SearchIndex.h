#pragma once

#include "ClipItem.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QUuid>

class SubstringFinder;

// Each entry's searchable text, composed and case-folded once and kept
// while the entry exists, so that every keystroke of a query costs one plain
// substring search per entry instead of folding all the history again.
// Texts of megabytes are the exception: a second copy of each would double
// what they cost, so they are folded a window at a time at each search.
class SearchIndex {
public:
    // The entries whose text contains the query (trimmed; letters of any case
    // and composed or decomposed accents match), newest first; none for a
    // blank query. The same answer as ClipStore::search.
    QList<ClipItem> search(const QList<ClipItem>& items, const QString& query);

    // Composed ("é" as one code point) and case-folded.
    static QString folded(const QString& text);

    // The longest text (in UTF-16 units) whose folded copy is kept.
    static constexpr qsizetype keptTextLimit = 1024 * 1024;
    // How much of a longer text is folded at a time.
    static constexpr qsizetype windowLength = 256 * 1024;

private:
    bool isFoundIn(const SubstringFinder& finder, const ClipItem& item);
    void forgetEntriesNotIn(const QList<ClipItem>& items);

    // As UTF-8, where a substring is found fastest (and a match of bytes is
    // a match of characters). An entry's content never changes under its id.
    QHash<QUuid, QByteArray> m_folded;
};
