#include "ClipboardURLs.h"

#include "history/ClipContent.h"

#include <QSysInfo>

namespace {

bool isThisMachine(const QString& host) {
    return host.isEmpty() || host.compare(u"localhost", Qt::CaseInsensitive) == 0 ||
           host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

ClipboardURLs fromLines(const QList<QByteArray>& lines) {
    ClipboardURLs urls;
    for (const QByteArray& raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl url(QString::fromUtf8(line), QUrl::StrictMode);
        if (!url.isValid() || url.isRelative())
            return {};
        if (!url.isLocalFile()) {
            urls.webURLs.append(url);
            continue;
        }
        // Files of other machines are no paths here.
        if (!isThisMachine(url.host()))
            return {};
        // Kept the way the history stores it, so that the same files copied
        // again are the same clip.
        const QString path = url.path(QUrl::FullyDecoded);
        if (!path.startsWith(u'/'))
            return {};
        urls.fileURLs.append(localFileURL(path));
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
