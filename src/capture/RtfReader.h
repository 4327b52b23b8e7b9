#pragma once

#include <QByteArray>
#include <QRgb>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// How a stretch of RTF text looks.
struct RtfCharacterFormat {
    // RTF's own default, 12 points.
    static constexpr int defaultHalfPoints = 24;

    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeThrough = false;
    int halfPoints = defaultHalfPoints;
    // Indexes into the colour table; an automatic entry, or none, is no
    // colour of the document's own, and so is background 0.
    int foreground = 0;
    int background = 0;

    friend bool operator==(const RtfCharacterFormat&, const RtfCharacterFormat&) = default;
};

enum class RtfAlignment : std::uint8_t { Left, Center, Right, Justified };

// A document's visible text with its formatting. A paragraph ends with '\n'
// and a line break inside one is U+2028.
struct RtfText {
    // Where a format starts; it lasts until the next run's start.
    struct Run {
        qsizetype start = 0;
        RtfCharacterFormat format;
    };

    QString text;
    std::vector<Run> runs;
    // One per paragraph, also the last, unterminated one.
    std::vector<RtfAlignment> alignments;
    // The colour table; nullopt for an automatic entry.
    std::vector<std::optional<QRgb>> colours;
    // Text that links somewhere (a HYPERLINK field), from `start` up to
    // `end`.
    struct Link {
        qsizetype start = 0;
        qsizetype end = 0;
        QString url;

        friend bool operator==(const Link&, const Link&) = default;
    };
    std::vector<Link> links;

    // The colour an index stands for; nullopt for none of the document's own.
    std::optional<QRgb> colour(int index) const;
    // The text with line breaks as '\n', for display and search.
    QString plainText() const;
};

// Reads RTF as clipboard owners write it: text, character and paragraph
// formatting, the colour table and links. Pictures, other fields'
// instructions, headers and every destination it does not know are
// skipped. Some owners offer only
// RTF for rich text, so the plain text for display and search comes from
// here too.
class RtfReader {
public:
    RtfReader() = delete;

    // Groups nested deeper than this are read as part of the deepest one.
    static constexpr std::size_t maximumGroupDepth = 256;

    // nullopt when `rtf` is not an RTF document (does not start with
    // "{\rtf" after optional leading white space).
    static std::optional<RtfText> read(const QByteArray& rtf);
    static std::optional<QString> plainText(const QByteArray& rtf);
};
