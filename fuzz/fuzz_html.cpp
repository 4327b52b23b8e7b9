// HTML from the clipboard (browsers, mail programs) is scanned for its
// nesting and converted to RTF on the reading thread. Any input must give
// RTF or nothing without a fault, and RTF that reads back as a document.

#include "FuzzSupport.h"
#include "capture/HtmlToRtf.h"
#include "capture/RtfReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietWarnings();
    fuzz::startGuiApplication("fuzz_html");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<HtmlText> html = HtmlToRtf::read(fuzz::bytes(data, size));
    if (!html)
        return 0;
    const std::optional<QByteArray>& rtf = html->rtf;
    if (!rtf)
        return 0;
    const std::optional<RtfText> read = RtfReader::read(*rtf);
    if (!read)
        fuzz::fail("converted HTML is not RTF", fuzz::visible(*rtf));
    fuzz::checkText(read->text, "NUL in the converted document",
                    "a lone surrogate in the converted document");
    return 0;
}
