#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What an HTML copy says: its words, and its formatting as RTF when it has
// any.
struct HtmlText {
    QString plainText;
    std::optional<QByteArray> rtf;
};

// Rich text as browsers, editors and mail programs copy it (text/html),
// converted to the RTF rich text is kept as. Only what the HTML says is
// read: nothing it refers to (pictures, style sheets) is fetched, local
// files included.
class HtmlToRtf {
public:
    HtmlToRtf() = delete;

    // Larger HTML is not converted: parsing it would hold the reading
    // thread for more than half a second.
    static constexpr qsizetype maximumBytes = 1 << 20;
    // Nor is HTML nested deeper than this: Qt's parser takes time growing
    // with the square of the depth (seconds for a few thousand levels),
    // and no page nests this deep.
    static constexpr int maximumDepth = 256;

    // None when the HTML is too large or too deep. Without formatting (one
    // run of plain text, with no links, lists, headings or tables) there is
    // no RTF.
    static std::optional<HtmlText> read(const QByteArray& html);
};
