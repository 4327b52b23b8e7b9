#include "JsonText.h"

#include <QLocale>

#include <cmath>

namespace {

bool needsEscape(char c) {
    return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
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
        static constexpr char hex[] = "0123456789abcdef";
        const auto byte = static_cast<unsigned char>(c);
        const char escape[] = {'\\', 'u', '0', '0', hex[byte >> 4], hex[byte & 0xf]};
        out.append(escape, sizeof escape);
    }
}

} // namespace

void JsonText::appendString(QByteArray& out, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    out.append('"');
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (!needsEscape(utf8[i]))
            continue;
        out.append(utf8.constData() + plainFrom, i - plainFrom);
        appendEscaped(out, utf8[i]);
        plainFrom = i + 1;
    }
    out.append(utf8.constData() + plainFrom, utf8.size() - plainFrom);
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
