#pragma once

#include <QByteArray>

class QTextDocument;

// Writes a formatted document as RTF, the form rich text is kept in:
// paragraphs and their alignment, sizes, bold, italic, underline,
// strike-through, text and background colours, links as HYPERLINK fields,
// list items as indented paragraphs that start with their bullet or
// number, and table rows as paragraphs of tab-separated cells. Pictures
// are left out. Text outside ASCII is written as Unicode escapes, so the
// result is plain ASCII.
class RtfWriter {
public:
    RtfWriter() = delete;

    static QByteArray write(const QTextDocument& document);
};
