#include "RtfReader.h"

#include <QByteArrayView>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// What a known control word does. All others are ignored.
enum class Action : std::uint8_t {
    Skip,           // starts a destination whose content is not visible text
    ColourTable,    // starts the colour table
    ColourPart,     // \redN, \greenN, \blueN inside it; `value` tells which
    Character,      // stands for one character
    Unicode,        // \uN
    FallbackLength, // \ucN
    CodePage,       // \ansicpgN
    Binary,         // \binN
    Bold,
    Italic,
    Underline,     // every kind of underline: single, double, dotted, ...
    UnderlineNone, // \ulnone
    StrikeThrough, // single or double
    FontSize,      // \fsN, in half points
    Foreground,    // \cfN
    Background,    // \cbN and \highlightN
    PlainCharacters,
    PlainParagraph,
    Alignment,        // `value` is an RtfAlignment
    FieldInstruction, // \fldinst: what a field does, such as HYPERLINK "url"
    FieldResult,      // \fldrslt: the field's visible text
};

struct Keyword {
    std::string_view name;
    Action action;
    char16_t character = 0;
    int value = 0;
};

constexpr int alignment(RtfAlignment value) {
    return int(value);
}

// Sorted by name for binary search.
constexpr auto keywords = std::to_array<Keyword>({
    {"ansicpg", Action::CodePage},
    {"b", Action::Bold},
    {"bin", Action::Binary},
    {"blue", Action::ColourPart, 0, 2},
    {"bullet", Action::Character, u'\u2022'},
    {"cb", Action::Background},
    {"cell", Action::Character, u'\t'},
    {"cf", Action::Foreground},
    {"colorschememapping", Action::Skip},
    {"colortbl", Action::ColourTable},
    {"datastore", Action::Skip},
    {"emdash", Action::Character, u'\u2014'},
    {"endash", Action::Character, u'\u2013'},
    {"fldinst", Action::FieldInstruction},
    {"fldrslt", Action::FieldResult},
    {"fonttbl", Action::Skip},
    {"footer", Action::Skip},
    {"footerf", Action::Skip},
    {"footerl", Action::Skip},
    {"footerr", Action::Skip},
    {"fs", Action::FontSize},
    {"generator", Action::Skip},
    {"green", Action::ColourPart, 0, 1},
    {"header", Action::Skip},
    {"headerf", Action::Skip},
    {"headerl", Action::Skip},
    {"headerr", Action::Skip},
    {"highlight", Action::Background},
    {"i", Action::Italic},
    {"info", Action::Skip},
    {"latentstyles", Action::Skip},
    {"ldblquote", Action::Character, u'\u201c'},
    {"line", Action::Character, u'\u2028'},
    {"listoverridetable", Action::Skip},
    {"listtable", Action::Skip},
    {"lquote", Action::Character, u'\u2018'},
    {"object", Action::Skip},
    {"par", Action::Character, u'\n'},
    {"pard", Action::PlainParagraph},
    {"pict", Action::Skip},
    {"plain", Action::PlainCharacters},
    {"qc", Action::Alignment, 0, alignment(RtfAlignment::Center)},
    {"qj", Action::Alignment, 0, alignment(RtfAlignment::Justified)},
    {"ql", Action::Alignment, 0, alignment(RtfAlignment::Left)},
    {"qr", Action::Alignment, 0, alignment(RtfAlignment::Right)},
    {"rdblquote", Action::Character, u'\u201d'},
    {"red", Action::ColourPart, 0, 0},
    {"row", Action::Character, u'\n'},
    {"rquote", Action::Character, u'\u2019'},
    {"rsidtbl", Action::Skip},
    {"strike", Action::StrikeThrough},
    {"striked", Action::StrikeThrough},
    {"stylesheet", Action::Skip},
    {"tab", Action::Character, u'\t'},
    {"themedata", Action::Skip},
    {"u", Action::Unicode},
    {"uc", Action::FallbackLength},
    {"ul", Action::Underline},
    {"uld", Action::Underline},
    {"uldash", Action::Underline},
    {"uldashd", Action::Underline},
    {"uldashdd", Action::Underline},
    {"uldb", Action::Underline},
    {"ulhwave", Action::Underline},
    {"ulldash", Action::Underline},
    {"ulnone", Action::UnderlineNone},
    {"ulth", Action::Underline},
    {"ulthd", Action::Underline},
    {"ulthdash", Action::Underline},
    {"ulw", Action::Underline},
    {"ulwave", Action::Underline},
    {"xmlnstbl", Action::Skip},
});
static_assert(std::ranges::is_sorted(keywords, {}, &Keyword::name));

const Keyword* findKeyword(std::string_view name) {
    const auto it = std::ranges::lower_bound(keywords, name, {}, &Keyword::name);
    return it != keywords.end() && it->name == name ? &*it : nullptr;
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// RTF text is ASCII, so an EBCDIC or UTF-16 code page can only be a mistake.
bool keepsAscii(QStringDecoder& decoder) {
    return decoder.isValid() && QString(decoder.decode("Az09 "_ba)) == "Az09 "_L1;
}

// Qt knows the Windows code pages through ICU, under one of two names. Stateless,
// so that a lead byte cut off by a paragraph mark cannot swallow the next text.
QStringDecoder decoderForCodePage(int codePage) {
    constexpr auto flags = QStringDecoder::Flag::Stateless;
    if (codePage == 65001)
        return QStringDecoder(QStringDecoder::Utf8, flags);
    const QByteArray number = QByteArray::number(codePage);
    for (const QByteArray& name : {"windows-"_ba + number, "cp"_ba + number}) {
        QStringDecoder decoder(name.constData(), flags);
        if (keepsAscii(decoder))
            return decoder;
    }
    return QStringDecoder(QStringDecoder::Latin1, flags);
}

// Font sizes beyond these are taken as the nearest: a hostile \fs must not
// ask for letters a screen high.
constexpr int smallestHalfPoints = 8;
constexpr int largestHalfPoints = 144;
// More colour table entries than any real document has.
constexpr std::size_t largestColourTable = 1024;

// A field instruction longer than this is not a link anyone follows.
constexpr qsizetype maximumFieldInstruction = 8192;

// The target of a HYPERLINK field's instruction; empty for other fields
// and for links within the document (\l).
QString hyperlinkTarget(const QByteArray& instruction) {
    const QByteArray trimmed = instruction.trimmed();
    if (!trimmed.startsWith("HYPERLINK"))
        return {};
    const qsizetype open = trimmed.indexOf('"');
    const qsizetype close = trimmed.indexOf('"', open + 1);
    if (open < 0 || close < 0 || trimmed.mid(9, open - 9).contains("\\l"))
        return {};
    return QString::fromUtf8(trimmed.mid(open + 1, close - open - 1)).trimmed();
}

// One pass over the document. Text bytes, literal or \'hh, are decoded in runs
// so that a multi-byte character written as several escapes decodes as one.
class RtfParser {
public:
    RtfParser(QByteArrayView rtf, qsizetype bodyStart) : m_rtf(rtf), m_pos(bodyStart) {}
    RtfText run();

private:
    enum class Destination : std::uint8_t { Text, Skipped, ColourTable, FieldInstruction };

    // A link whose text is being read: it ends with the group it began in.
    struct OpenLink {
        qsizetype start;
        QString url;
        std::size_t depth;
    };

    struct Group {
        RtfCharacterFormat format;
        RtfAlignment alignment = RtfAlignment::Left;
        std::uint16_t fallbackLength = 1; // \ucN, characters after \uN for older readers
        Destination destination = Destination::Text;
    };

    bool atEnd() const { return m_pos >= m_rtf.size(); }
    Group& group() { return m_groups.back(); }
    void openGroup();
    bool closeGroup();
    void readCharacter(char c);
    void readControl();
    void readControlSymbol(char symbol);
    void readHexByte();
    void readControlWord();
    std::optional<int> readParameter();
    void applyKeyword(const Keyword& keyword, std::optional<int> parameter);
    void applyFormat(const Keyword& keyword, std::optional<int> parameter);
    void setColourPart(int part, std::optional<int> parameter);
    void endColour();
    void skipBinary(int length);
    bool takeToken();
    void appendByte(char byte);
    void appendUnicode(int value);
    void appendUnit(char16_t unit);
    void flushBytes();
    void resolveDanglingHigh();
    void appendText(QStringView text);
    void endParagraph();
    void startFieldInstruction();
    void startFieldResult();
    void endLinkAt(std::size_t depth);

    QByteArrayView m_rtf;
    qsizetype m_pos;
    std::vector<Group> m_groups{Group{}};
    // Groups opened past the deepest one kept: their contents are read in
    // the deepest group's state, so nesting costs nothing past the limit.
    qsizetype m_groupsPastLimit = 0;
    int m_fallbackToSkip = 0;
    QStringDecoder m_decoder = decoderForCodePage(1252);
    QByteArray m_bytes;                           // text bytes not yet decoded
    char16_t m_highSurrogate = 0;                 // waiting for the low half from the next \uN
    std::array<int, 3> m_colourParts{-1, -1, -1}; // the colour table entry being read
    RtfAlignment m_lastTextAlignment = RtfAlignment::Left;
    QByteArray m_fieldInstruction;
    std::vector<OpenLink> m_openLinks;
    RtfText m_result;
};

RtfText RtfParser::run() {
    while (!atEnd()) {
        const char c = m_rtf[m_pos++];
        if (c == '{') {
            openGroup();
        } else if (c == '}') {
            if (!closeGroup())
                break; // the document's outermost group ended
        } else if (c == '\\') {
            readControl();
        } else if (c != '\r' && c != '\n') {
            readCharacter(c);
        }
    }
    flushBytes();
    resolveDanglingHigh();
    // The last paragraph looks as its text was written.
    m_result.alignments.push_back(m_lastTextAlignment);
    return std::move(m_result);
}

void RtfParser::openGroup() {
    m_fallbackToSkip = 0;
    if (m_groups.size() > RtfReader::maximumGroupDepth) {
        ++m_groupsPastLimit;
        return;
    }
    const Group outer = group();
    m_groups.push_back(outer);
}

bool RtfParser::closeGroup() {
    m_fallbackToSkip = 0;
    if (m_groupsPastLimit > 0) {
        --m_groupsPastLimit;
        return true;
    }
    // Text waiting to be decoded has the format of the group it was in.
    flushBytes();
    // The outermost group stays: what is still pending at the end is
    // written in its format.
    if (m_groups.size() == 1)
        return false;
    endLinkAt(m_groups.size());
    m_groups.pop_back();
    return true;
}

void RtfParser::readCharacter(char c) {
    if (group().destination == Destination::FieldInstruction) {
        if (m_fieldInstruction.size() < maximumFieldInstruction)
            m_fieldInstruction.append(c);
        return;
    }
    if (group().destination == Destination::ColourTable) {
        if (c == ';')
            endColour();
        return;
    }
    if (takeToken())
        appendByte(c);
}

void RtfParser::readControl() {
    if (atEnd())
        return;
    if (isLetter(m_rtf[m_pos]))
        readControlWord();
    else
        readControlSymbol(m_rtf[m_pos++]);
}

void RtfParser::readControlSymbol(char symbol) {
    if (symbol == '*') {
        // Marks a destination that readers may ignore; none of them is visible text.
        group().destination = Destination::Skipped;
        return;
    }
    if (symbol == '\'') {
        readHexByte();
        return;
    }
    if (!takeToken())
        return;
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        appendByte(symbol);
        return;
    case '~':
        appendUnit(u'\u00a0');
        return;
    case '_':
        appendUnit(u'\u2011');
        return;
    case '\r':
    case '\n':
        appendUnit(u'\n'); // a backslash before a line break is a paragraph mark
        return;
    default:
        return; // \- is an optional hyphen; the rest are not text either
    }
}

void RtfParser::readHexByte() {
    int value = 0;
    int digits = 0;
    for (; digits < 2 && !atEnd() && hexValue(m_rtf[m_pos]) >= 0; ++digits)
        value = value * 16 + hexValue(m_rtf[m_pos++]);
    if (takeToken() && digits == 2)
        appendByte(static_cast<char>(value));
}

void RtfParser::readControlWord() {
    const qsizetype start = m_pos;
    while (!atEnd() && isLetter(m_rtf[m_pos]))
        ++m_pos;
    const std::string_view name(m_rtf.data() + start, static_cast<std::size_t>(m_pos - start));
    const std::optional<int> parameter = readParameter();
    if (!atEnd() && m_rtf[m_pos] == ' ')
        ++m_pos; // the delimiting space belongs to the control word
    // Switches such as \l (a place in the document) are part of a field's
    // instruction.
    if (group().destination == Destination::FieldInstruction &&
        m_fieldInstruction.size() < maximumFieldInstruction)
        m_fieldInstruction.append('\\').append(name.data(), qsizetype(name.size())).append(' ');
    const Keyword* keyword = findKeyword(name);
    if (!keyword) {
        takeToken(); // unknown words count as fallback characters too
        return;
    }
    switch (keyword->action) {
    case Action::Binary:
        skipBinary(parameter.value_or(0)); // may hold braces, so skipped even when not visible
        return;
    case Action::Skip:
        group().destination = Destination::Skipped;
        return;
    case Action::FieldInstruction:
        startFieldInstruction();
        return;
    case Action::FieldResult:
        startFieldResult();
        return;
    case Action::ColourTable:
        if (group().destination == Destination::Text)
            group().destination = Destination::ColourTable;
        return;
    case Action::ColourPart:
        if (group().destination == Destination::ColourTable)
            setColourPart(keyword->value, parameter);
        return;
    default:
        if (takeToken())
            applyKeyword(*keyword, parameter);
    }
}

// Saturates rather than overflowing on absurdly long digit runs.
std::optional<int> RtfParser::readParameter() {
    const bool negative =
        m_pos + 1 < m_rtf.size() && m_rtf[m_pos] == '-' && isDigit(m_rtf[m_pos + 1]);
    if (negative)
        ++m_pos;
    if (atEnd() || !isDigit(m_rtf[m_pos]))
        return std::nullopt;
    qint64 value = 0;
    for (; !atEnd() && isDigit(m_rtf[m_pos]); ++m_pos)
        value =
            std::min<qint64>(value * 10 + (m_rtf[m_pos] - '0'), std::numeric_limits<int>::max());
    return static_cast<int>(negative ? -value : value);
}

void RtfParser::applyKeyword(const Keyword& keyword, std::optional<int> parameter) {
    switch (keyword.action) {
    case Action::Character:
        appendUnit(keyword.character);
        return;
    case Action::Unicode:
        if (parameter) {
            appendUnicode(*parameter);
            m_fallbackToSkip = group().fallbackLength;
        }
        return;
    case Action::FallbackLength:
        group().fallbackLength =
            static_cast<std::uint16_t>(std::clamp(parameter.value_or(1), 0, 0xffff));
        return;
    case Action::CodePage:
        if (parameter) {
            flushBytes(); // bytes so far belong to the previous code page
            m_decoder = decoderForCodePage(*parameter);
        }
        return;
    default:
        // Text so far keeps the format it was written in.
        flushBytes();
        applyFormat(keyword, parameter);
    }
}

void RtfParser::applyFormat(const Keyword& keyword, std::optional<int> parameter) {
    RtfCharacterFormat& format = group().format;
    // A toggle is on without a parameter and off with 0.
    const bool on = parameter.value_or(1) != 0;
    const int index = std::max(parameter.value_or(0), 0);
    switch (keyword.action) {
    case Action::Bold:
        format.bold = on;
        return;
    case Action::Italic:
        format.italic = on;
        return;
    case Action::Underline:
        format.underline = on;
        return;
    case Action::UnderlineNone:
        format.underline = false;
        return;
    case Action::StrikeThrough:
        format.strikeThrough = on;
        return;
    case Action::FontSize:
        format.halfPoints = std::clamp(parameter.value_or(RtfCharacterFormat::defaultHalfPoints),
                                       smallestHalfPoints, largestHalfPoints);
        return;
    case Action::Foreground:
        format.foreground = index;
        return;
    case Action::Background:
        format.background = index;
        return;
    case Action::PlainCharacters:
        format = RtfCharacterFormat{};
        return;
    case Action::PlainParagraph:
        group().alignment = RtfAlignment::Left;
        return;
    case Action::Alignment:
        group().alignment = RtfAlignment(keyword.value);
        return;
    default:
        return; // handled where the word is read
    }
}

void RtfParser::setColourPart(int part, std::optional<int> parameter) {
    m_colourParts[std::size_t(part)] = std::clamp(parameter.value_or(0), 0, 255);
}

// A ';' ends a colour table entry; one without any part is the automatic colour.
void RtfParser::endColour() {
    if (m_result.colours.size() < largestColourTable) {
        const bool automatic =
            std::ranges::all_of(m_colourParts, [](int part) { return part < 0; });
        m_result.colours.push_back(automatic ? std::nullopt
                                             : std::optional(qRgb(std::max(m_colourParts[0], 0),
                                                                  std::max(m_colourParts[1], 0),
                                                                  std::max(m_colourParts[2], 0))));
    }
    m_colourParts = {-1, -1, -1};
}

void RtfParser::skipBinary(int length) {
    m_pos += std::min<qsizetype>(std::max(length, 0), m_rtf.size() - m_pos);
}

// Accounts for one character, control word or symbol; false when it produces
// no text, being inside a skipped destination or a fallback after \uN.
bool RtfParser::takeToken() {
    if (m_fallbackToSkip > 0) {
        --m_fallbackToSkip;
        return false;
    }
    return group().destination == Destination::Text;
}

void RtfParser::appendByte(char byte) {
    if (byte != 0)
        m_bytes.append(byte);
}

void RtfParser::appendUnicode(int value) {
    if (value < 0)
        value += 0x10000; // written as a signed 16-bit number
    appendUnit(value >= 0 && value <= 0xffff ? static_cast<char16_t>(value) : u'\ufffd');
}

// Surrogate halves arrive as two \uN; a half without its partner becomes U+FFFD
// so the result is always valid UTF-16.
void RtfParser::appendUnit(char16_t unit) {
    flushBytes();
    if (QChar::isLowSurrogate(unit) && m_highSurrogate != 0) {
        const char16_t pair[] = {m_highSurrogate, unit};
        m_highSurrogate = 0;
        appendText(QStringView(pair, 2));
        return;
    }
    resolveDanglingHigh();
    if (QChar::isHighSurrogate(unit))
        m_highSurrogate = unit;
    else if (QChar::isLowSurrogate(unit))
        appendText(u"\ufffd");
    else if (unit == u'\n')
        endParagraph();
    else if (unit != 0)
        appendText(QStringView(&unit, 1));
}

void RtfParser::flushBytes() {
    if (m_bytes.isEmpty())
        return;
    resolveDanglingHigh();
    appendText(QString(m_decoder.decode(m_bytes)));
    m_bytes.resize(0); // keeps the capacity for the next run
}

void RtfParser::resolveDanglingHigh() {
    if (m_highSurrogate == 0)
        return;
    m_highSurrogate = 0;
    appendText(u"\ufffd");
}

void RtfParser::appendText(QStringView text) {
    if (text.isEmpty())
        return;
    const RtfCharacterFormat& format = group().format;
    std::vector<RtfText::Run>& runs = m_result.runs;
    if (runs.empty() || runs.back().format != format) {
        if (!runs.empty() && runs.back().start == m_result.text.size())
            runs.back().format = format;
        else
            runs.push_back({m_result.text.size(), format});
    }
    m_result.text.append(text);
    m_lastTextAlignment = group().alignment;
}

// A paragraph takes the alignment in force at its mark.
void RtfParser::endParagraph() {
    appendText(u"\n");
    m_result.alignments.push_back(group().alignment);
    m_lastTextAlignment = RtfAlignment::Left;
}

} // namespace

std::optional<QRgb> RtfText::colour(int index) const {
    if (index < 0 || std::size_t(index) >= colours.size())
        return std::nullopt;
    return colours[std::size_t(index)];
}

QString RtfText::plainText() const {
    QString plain = text;
    plain.replace(QChar::LineSeparator, u'\n');
    return plain;
}

// Only where the field stands in visible text; the \* before it marked
// the group as one to skip.
void RtfParser::startFieldInstruction() {
    const std::size_t depth = m_groups.size();
    if (depth < 2 || m_groups[depth - 2].destination != Destination::Text)
        return;
    m_fieldInstruction.clear();
    group().destination = Destination::FieldInstruction;
}

void RtfParser::startFieldResult() {
    if (group().destination != Destination::Text)
        return;
    const QString url = hyperlinkTarget(m_fieldInstruction);
    m_fieldInstruction.clear();
    if (url.isEmpty())
        return;
    flushBytes();
    m_openLinks.push_back({m_result.text.size(), url, m_groups.size()});
}

void RtfParser::endLinkAt(std::size_t depth) {
    if (m_openLinks.empty() || m_openLinks.back().depth != depth)
        return;
    OpenLink link = std::move(m_openLinks.back());
    m_openLinks.pop_back();
    if (m_result.text.size() > link.start)
        m_result.links.push_back({link.start, m_result.text.size(), std::move(link.url)});
}

std::optional<RtfText> RtfReader::read(const QByteArray& rtf) {
    qsizetype start = 0;
    while (start < rtf.size() && isSpace(rtf[start]))
        ++start;
    if (!QByteArrayView(rtf).sliced(start).startsWith("{\\rtf"))
        return std::nullopt;
    return RtfParser(rtf, start + 1).run();
}

std::optional<QString> RtfReader::plainText(const QByteArray& rtf) {
    std::optional<RtfText> read = RtfReader::read(rtf);
    return read ? std::optional(read->plainText()) : std::nullopt;
}
