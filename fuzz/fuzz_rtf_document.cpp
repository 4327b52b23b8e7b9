// RTF from the clipboard made into the document the preview shows and a
// paste offers: formats, colours, alignments and links of any input must
// land inside the text, and the document must be made without a fault.

#include "FuzzSupport.h"
#include "capture/RtfDocument.h"
#include "capture/RtfReader.h"

#include <QTextDocument>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietWarnings();
    fuzz::startGuiApplication("fuzz_rtf_document");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<RtfText> read = RtfReader::read(fuzz::bytes(data, size));
    if (!read)
        return 0;
    fuzz::checkText(read->text, "NUL in the document", "a lone surrogate in the document");
    for (const RtfText::Link& link : read->links) {
        if (link.start < 0 || link.start > link.end || link.end > read->text.size())
            fuzz::fail("a link outside the text", fuzz::visible(read->text));
    }
    for (const RtfText::Run& run : read->runs) {
        if (run.start < 0 || run.start > read->text.size())
            fuzz::fail("a format run outside the text", fuzz::visible(read->text));
    }
    const RtfDocument::Style style{QFont(QStringLiteral("Sans"), 20), Qt::black, QColor(0xf2f2f2)};
    const auto document = RtfDocument::make(*read, style);
    if (!document)
        fuzz::fail("no document for RTF that was read", fuzz::visible(read->text));
    return 0;
}
