#include "ClipboardURLs.h"

namespace {

ClipboardURLs fromLines(const QList<QByteArray>& lines) {
    ClipboardURLs urls;
    for (const QByteArray& raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl url(QString::fromUtf8(line), QUrl::StrictMode);
        if (!url.isValid() || url.isRelative())
            return {};
        (url.isLocalFile() ? urls.fileURLs : urls.webURLs).append(url);
    }
    return urls;
}

} // namespace

ClipboardURLs ClipboardURLs::fromUriList(const QByteArray& data) {
    return fromLines(data.split('\n'));
}

ClipboardURLs ClipboardURLs::fromGnomeCopiedFiles(const QByteArray& data) {
    QList<QByteArray> lines = data.split('\n');
    if (lines.isEmpty())
        return {};
    const QByteArray action = lines.takeFirst().trimmed();
    if (action != "copy" && action != "cut")
        return {};
    ClipboardURLs urls = fromLines(lines);
    urls.webURLs.clear();
    return urls;
}
