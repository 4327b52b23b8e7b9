#pragma once

#include <QByteArray>
#include <QString>

// Compact JSON output written straight into a byte buffer. The history file
// is rewritten after every change, and building a QJsonDocument for it
// costs several times more than the text itself.
class JsonText {
public:
    JsonText() = delete;

    // A JSON string: UTF-8, with quotes, backslashes and control characters
    // escaped.
    static void appendString(QByteArray& out, const QString& text);

    // A JSON number in its shortest exact form. JSON has no NaN or infinity;
    // those are written as 0 so the document stays readable.
    static void appendNumber(QByteArray& out, double value);

    static void appendBool(QByteArray& out, bool value);
};
