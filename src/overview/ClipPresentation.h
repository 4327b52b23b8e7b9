#pragma once

#include "history/ClipContent.h"

#include <QString>

// The words and symbols the cards and the preview use to present a clip.
class ClipPresentation {
public:
    ClipPresentation() = delete;

    struct KindLabel {
        QString title;
        QString symbol; // name of the symbol icon shown beside the title
        friend bool operator==(const KindLabel&, const KindLabel&) = default;
    };

    static KindLabel kindLabel(const ClipContent& content);

    // A link's headline: its host, or its whole address when it has none
    // (a mail address, for instance).
    static QString linkTitle(const QUrl& url);

    // The line under the first `shown` files of a longer list; empty when
    // every file is listed.
    static QString moreFilesLine(qsizetype fileCount, qsizetype shown = 4);

    // What assistive technologies read for a card's number badge.
    static QString numberBadgeAccessibleText(qint64 number);
};
