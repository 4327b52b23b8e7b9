// Desktop entries are anybody's files (~/.local/share/applications): their
// names and classes are matched against windows and shown in the settings.
// Any bytes must give an entry or none without a fault, under the id given.

#include "FuzzSupport.h"
#include "platform/xdg/DesktopEntries.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietWarnings();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString id = QStringLiteral("org.example.Fuzzed");
    const std::optional<DesktopEntries::Entry> entry =
        DesktopEntries::parseEntry(fuzz::bytes(data, size), id);
    if (!entry)
        return 0;
    if (entry->id != id)
        fuzz::fail("an entry under another id", entry->id);
    for (const QString& value :
         {entry->name, entry->genericName, entry->icon, entry->startupWMClass}) {
        if (value.contains(u'\n'))
            fuzz::fail("a line break in a value", fuzz::visible(value));
    }
    return 0;
}
