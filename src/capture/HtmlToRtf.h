#pragma once

#include <QByteArray>

#include <optional>

// Rich text as browsers, editors and mail programs copy it (text/html),
// converted to the RTF rich text is kept as. Only what the HTML says is
// read: nothing it refers to (pictures, style sheets) is fetched, local
// files included.
class HtmlToRtf {
public:
    HtmlToRtf() = delete;

    // Larger HTML is not converted: parsing it would take seconds.
    static constexpr qsizetype maximumBytes = 2 << 20;

    // None when the HTML is too large or carries no formatting: one run of
    // plain text, with no links, lists, headings or tables, is plain text.
    static std::optional<QByteArray> convert(const QByteArray& html);
};
