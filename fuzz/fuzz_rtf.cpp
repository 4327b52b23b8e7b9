// The RTF extractor: clipboard owners offer RTF of every quality, and the
// plain text taken from it is shown, searched and stored. Any input must
// give text or nothing without a fault, and the text must be valid UTF-16
// without NULs, as the extractor promises.

#include "FuzzSupport.h"
#include "capture/RtfReader.h"

#include <cstddef>
#include <cstdint>

namespace {

// The extractor's own test of an RTF document: "{\rtf" after white space.
bool looksLikeRtf(const QByteArray& bytes) {
    qsizetype start = 0;
    while (start < bytes.size() && QByteArrayView(" \t\r\n\f\v").contains(bytes[start]))
        ++start;
    return bytes.sliced(start).startsWith("{\\rtf");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietWarnings();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray rtf = fuzz::bytes(data, size);
    const std::optional<QString> text = RtfReader::plainText(rtf);
    if (text.has_value() != looksLikeRtf(rtf))
        fuzz::fail(text ? "text from a document that is not RTF" : "no text from an RTF document");
    if (!text)
        return 0;
    fuzz::checkText(*text, "NUL in the extracted text", "a lone surrogate in the extracted text");
    return 0;
}
