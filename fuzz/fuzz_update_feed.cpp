// The update feed is read from the network: whatever it holds, the check
// gives a release or a reason without a fault, names a version of dotted
// numbers, and offers to open web pages only.

#include "FuzzSupport.h"
#include "app/UpdateFeed.h"

#include <QRegularExpression>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietWarnings();
    fuzz::startApplication("fuzz_update_feed");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QString problem;
    const std::optional<UpdateFeed::Release> release =
        UpdateFeed::parse(fuzz::bytes(data, size), &problem);
    if (!release) {
        if (problem.isEmpty())
            fuzz::fail("a refused feed without a reason");
        return 0;
    }
    static const QRegularExpression dotted(QStringLiteral("^\\d{1,6}(\\.\\d{1,6}){0,3}$"));
    if (!dotted.match(release->version).hasMatch())
        fuzz::fail("a version that is not dotted numbers", fuzz::visible(release->version));
    for (const QUrl& page : {release->notes, release->download}) {
        if (!page.isEmpty() && page.scheme() != QLatin1String("https") &&
            page.scheme() != QLatin1String("http"))
            fuzz::fail("a page that is not on the web", page.toString());
        UpdateFeed::compareVersions(release->version, QStringLiteral("0.1"));
    }
    return 0;
}
