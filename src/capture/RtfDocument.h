#pragma once

#include "RtfReader.h"

#include <QColor>
#include <QFont>

#include <memory>

class QTextDocument;

// A formatted text document from RTF, for reading on screen: bold, italic,
// underline, strike-through, sizes relative to the reader's font, colours,
// links, paragraphs and their alignment. The document's fonts are not used, and a
// colour that would be hard to read on the given background gives way to
// the reader's own text colour.
class RtfDocument {
public:
    RtfDocument() = delete;

    struct Style {
        // The font of 12-point text; other sizes scale with it.
        QFont font;
        QColor text;
        QColor background;
    };

    static std::unique_ptr<QTextDocument> make(const RtfText& rtf, const Style& style);
};
