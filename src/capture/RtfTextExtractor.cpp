#include "RtfTextExtractor.h"

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

// What a known control word does. All others only change formatting.
enum class Action : std::uint8_t {
    Skip,           // starts a destination whose content is not visible text
    Character,      // stands for one character
    Unicode,        // \uN
    FallbackLength, // \ucN
    CodePage,       // \ansicpgN
    Binary,         // \binN
};

struct Keyword {
    std::string_view name;
    Action action;
    char16_t character = 0;
};

// Sorted by name for binary search.
constexpr auto keywords = std::to_array<Keyword>({
    {"ansicpg", Action::CodePage},
    {"bin", Action::Binary},
    {"bullet", Action::Character, u'\u2022'},
    {"cell", Action::Character, u'\t'},
    {"colorschememapping", Action::Skip},
    {"colortbl", Action::Skip},
    {"datastore", Action::Skip},
    {"emdash", Action::Character, u'\u2014'},
    {"endash", Action::Character, u'\u2013'},
    {"fldinst", Action::Skip},
    {"fonttbl", Action::Skip},
    {"footer", Action::Skip},
    {"footerf", Action::Skip},
    {"footerl", Action::Skip},
    {"footerr", Action::Skip},
    {"generator", Action::Skip},
    {"header", Action::Skip},
    {"headerf", Action::Skip},
    {"headerl", Action::Skip},
    {"headerr", Action::Skip},
    {"info", Action::Skip},
    {"latentstyles", Action::Skip},
    {"ldblquote", Action::Character, u'\u201c'},
    {"line", Action::Character, u'\n'},
    {"listoverridetable", Action::Skip},
    {"listtable", Action::Skip},
    {"lquote", Action::Character, u'\u2018'},
    {"object", Action::Skip},
    {"par", Action::Character, u'\n'},
    {"pict", Action::Skip},
    {"rdblquote", Action::Character, u'\u201d'},
    {"row", Action::Character, u'\n'},
    {"rquote", Action::Character, u'\u2019'},
    {"rsidtbl", Action::Skip},
    {"stylesheet", Action::Skip},
    {"tab", Action::Character, u'\t'},
    {"themedata", Action::Skip},
    {"u", Action::Unicode},
    {"uc", Action::FallbackLength},
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

// One pass over the document. Text bytes, literal or \'hh, are decoded in runs
// so that a multi-byte character written as several escapes decodes as one.
class RtfParser {
public:
    RtfParser(QByteArrayView rtf, qsizetype bodyStart) : m_rtf(rtf), m_pos(bodyStart) {}
    QString run();

private:
    struct Group {
        std::uint16_t fallbackLength = 1; // \ucN, characters after \uN for older readers
        bool skipped = false;             // inside a destination that is not visible text
    };

    bool atEnd() const { return m_pos >= m_rtf.size(); }
    void openGroup();
    bool closeGroup();
    void readControl();
    void readControlSymbol(char symbol);
    void readHexByte();
    void readControlWord();
    std::optional<int> readParameter();
    void applyKeyword(const Keyword& keyword, std::optional<int> parameter);
    void skipBinary(int length);
    bool takeToken();
    void appendByte(char byte);
    void appendUnicode(int value);
    void appendUnit(char16_t unit);
    void flushBytes();
    void resolveDanglingHigh();

    QByteArrayView m_rtf;
    qsizetype m_pos;
    std::vector<Group> m_groups{Group{}};
    int m_fallbackToSkip = 0;
    QStringDecoder m_decoder = decoderForCodePage(1252);
    QByteArray m_bytes;           // text bytes not yet decoded
    char16_t m_highSurrogate = 0; // waiting for the low half from the next \uN
    QString m_text;
};

QString RtfParser::run() {
    while (!atEnd()) {
        const char c = m_rtf[m_pos++];
        if (c == '{') {
            openGroup();
        } else if (c == '}') {
            if (!closeGroup())
                break; // the document's outermost group ended
        } else if (c == '\\') {
            readControl();
        } else if (c != '\r' && c != '\n' && takeToken()) {
            appendByte(c);
        }
    }
    flushBytes();
    resolveDanglingHigh();
    return std::move(m_text);
}

void RtfParser::openGroup() {
    m_fallbackToSkip = 0;
    const Group outer = m_groups.back();
    m_groups.push_back(outer);
}

bool RtfParser::closeGroup() {
    m_fallbackToSkip = 0;
    m_groups.pop_back();
    return !m_groups.empty();
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
        m_groups.back().skipped = true;
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
    const Keyword* keyword = findKeyword(name);
    if (keyword && keyword->action == Action::Binary)
        skipBinary(parameter.value_or(0)); // may hold braces, so skipped even when not visible
    else if (keyword && keyword->action == Action::Skip)
        m_groups.back().skipped = true;
    else if (takeToken() && keyword) // unknown words count as fallback characters too
        applyKeyword(*keyword, parameter);
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
            m_fallbackToSkip = m_groups.back().fallbackLength;
        }
        return;
    case Action::FallbackLength:
        m_groups.back().fallbackLength =
            static_cast<std::uint16_t>(std::clamp(parameter.value_or(1), 0, 0xffff));
        return;
    case Action::CodePage:
        if (parameter) {
            flushBytes(); // bytes so far belong to the previous code page
            m_decoder = decoderForCodePage(*parameter);
        }
        return;
    case Action::Skip:
    case Action::Binary:
        return; // handled by readControlWord
    }
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
    return !m_groups.back().skipped;
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
        m_text.append(QChar(m_highSurrogate));
        m_text.append(QChar(unit));
        m_highSurrogate = 0;
        return;
    }
    resolveDanglingHigh();
    if (QChar::isHighSurrogate(unit))
        m_highSurrogate = unit;
    else if (QChar::isLowSurrogate(unit))
        m_text.append(QChar(QChar::ReplacementCharacter));
    else if (unit != 0)
        m_text.append(QChar(unit));
}

void RtfParser::flushBytes() {
    if (m_bytes.isEmpty())
        return;
    resolveDanglingHigh();
    m_text.append(QString(m_decoder.decode(m_bytes)));
    m_bytes.resize(0); // keeps the capacity for the next run
}

void RtfParser::resolveDanglingHigh() {
    if (m_highSurrogate == 0)
        return;
    m_text.append(QChar(QChar::ReplacementCharacter));
    m_highSurrogate = 0;
}

} // namespace

std::optional<QString> RtfTextExtractor::plainText(const QByteArray& rtf) {
    qsizetype start = 0;
    while (start < rtf.size() && isSpace(rtf[start]))
        ++start;
    if (!QByteArrayView(rtf).sliced(start).startsWith("{\\rtf"))
        return std::nullopt;
    return RtfParser(rtf, start + 1).run();
}
