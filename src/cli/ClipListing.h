#pragma once

#include "history/ClipItem.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <variant>

// How the command line shows history entries and finds them by id.
class ClipListing {
public:
    ClipListing() = delete;

    // One line per entry: position, short id, kind, pin mark and a one-line
    // preview, e.g. "  1  4F3A2B1C  text      *  Hello world".
    static QString plainLine(qsizetype position, const ClipItem& item);

    // A single-line preview of the content, white space collapsed, at most
    // `maxLength` characters, safe to print on a terminal.
    static QString preview(const ClipItem& item, qsizetype maxLength = 72);

    // The text with every character a terminal would act on (escape
    // sequences, controls, direction overrides) written out visibly: "\e",
    // "␀", "\u202e".
    static QString visible(const QString& text);

    struct NoMatch {};
    struct Ambiguous {
        qsizetype count;
    };
    struct TooShort {};
    using IdLookup = std::variant<QUuid, NoMatch, Ambiguous, TooShort>;

    // Finds the entry whose id is `text` or begins with it (at least eight
    // characters, letter case and hyphens as typed in the id's usual form).
    static IdLookup findId(const QList<ClipItem>& items, const QString& text);
};
