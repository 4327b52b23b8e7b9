#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Plain text from an RTF document. Some clipboard owners offer only RTF for
// rich text, without a plain text alternative, so we derive the plain text
// ourselves for display and search instead of depending on a full RTF reader.
class RtfTextExtractor {
public:
    RtfTextExtractor() = delete;

    // The document's visible text; nullopt when `rtf` is not an RTF document
    // (does not start with "{\rtf" after optional leading white space).
    static std::optional<QString> plainText(const QByteArray& rtf);
};
