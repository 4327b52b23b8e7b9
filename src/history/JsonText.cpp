#include "JsonText.h"

#include <QLocale>

#include <cmath>

namespace {

bool needsEscape(char c) {
    return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
}

void appendUnicodeEscape(QByteArray& out, char16_t unit) {
    static constexpr char hex[] = "0123456789abcdef";
    const char escape[] = {'\\',
                           'u',
                           hex[(unit >> 12) & 0xf],
                           hex[(unit >> 8) & 0xf],
                           hex[(unit >> 4) & 0xf],
                           hex[unit & 0xf]};
    out.append(escape, sizeof escape);
}

void appendEscaped(QByteArray& out, char c) {
    switch (c) {
    case '"':
        out.append("\\\"");
        return;
    case '\\':
        out.append("\\\\");
        return;
    case '\n':
        out.append("\\n");
        return;
    case '\r':
        out.append("\\r");
        return;
    case '\t':
        out.append("\\t");
        return;
    case '\b':
        out.append("\\b");
        return;
    case '\f':
        out.append("\\f");
        return;
    default:
        appendUnicodeEscape(out, static_cast<unsigned char>(c));
    }
}

void appendUtf8(QByteArray& out, QStringView text) {
    const QByteArray utf8 = text.toUtf8();
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (!needsEscape(utf8[i]))
            continue;
        out.append(utf8.constData() + plainFrom, i - plainFrom);
        appendEscaped(out, utf8[i]);
        plainFrom = i + 1;
    }
    out.append(utf8.constData() + plainFrom, utf8.size() - plainFrom);
}

} // namespace

void JsonText::appendString(QByteArray& out, const QString& text) {
    out.append('"');
    // UTF-8 cannot hold a lone surrogate (it would be written as '?'), so
    // those are escaped and the text reads back exactly.
    qsizetype runFrom = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        appendUtf8(out, QStringView(text).mid(runFrom, i - runFrom));
        appendUnicodeEscape(out, c.unicode());
        runFrom = i + 1;
    }
    appendUtf8(out, QStringView(text).mid(runFrom));
    out.append('"');
}

void JsonText::appendNumber(QByteArray& out, double value) {
    if (!std::isfinite(value))
        value = 0;
    out.append(QByteArray::number(value, 'g', QLocale::FloatingPointShortest));
}

void JsonText::appendBool(QByteArray& out, bool value) {
    out.append(value ? "true" : "false");
}
