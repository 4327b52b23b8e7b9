#pragma once

#include <QByteArray>

class QTextCharFormat;
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

    // Whether text of this format links somewhere. An element's id or name
    // makes an anchor too, one that is only a place to link to and looks
    // like the text around it.
    static bool isLink(const QTextCharFormat& format);
};
