#include "X11SnapshotReader.h"

#include "ClipboardURLs.h"

#include <QImageReader>

namespace {

const QByteArrayList utf8TextTargets{"UTF8_STRING", "text/plain;charset=utf-8", "text/plain"};
const QByteArrayList rtfTargets{"text/rtf", "application/rtf", "text/richtext"};

const QByteArrayList markerTargets{"org.nspasteboard.ConcealedType",
                                   "org.nspasteboard.TransientType", "x-kde-passwordManagerHint"};

// Every target a snapshot may look at.
QByteArrayList wantedTargets() {
    QByteArrayList names = utf8TextTargets + rtfTargets + markerTargets;
    names << "STRING"
          << "text/uri-list"
          << "x-special/gnome-copied-files";
    // The picture types Qt and its Debian plugins decode, named here rather
    // than asked of Qt: asking loads every image plugin at start. Whether one
    // is decodable is checked when such a copy comes.
    names << "image/png"
          << "image/tiff"
          << "image/jpeg"
          << "image/gif"
          << "image/bmp"
          << "image/x-bmp"
          << "image/webp"
          << "image/x-icon"
          << "image/vnd.microsoft.icon"
          << "image/x-portable-bitmap"
          << "image/x-portable-graymap"
          << "image/x-portable-pixmap"
          << "image/x-xbitmap"
          << "image/x-xpixmap"
          << "image/svg+xml"
          << "image/x-tga"
          << "image/x-icns"
          << "image/vnd.wap.wbmp";
    return names;
}

QString withoutTrailingNul(QString text) {
    // Some owners count the C string terminator as part of the data.
    while (text.endsWith(QChar(0)))
        text.chop(1);
    return text;
}

} // namespace

X11SnapshotReader::X11SnapshotReader() {
    m_reader.setWantedTargets(wantedTargets());
}

bool X11SnapshotReader::hasMarker(const QByteArrayList& targets) {
    return std::any_of(targets.cbegin(), targets.cend(),
                       [](const QByteArray& target) { return markerTargets.contains(target); });
}

std::optional<PasteboardSnapshot> X11SnapshotReader::read(QDeadlineTimer deadline,
                                                          qint64 maximumBytes) {
    m_deadline = deadline;
    m_maximumBytes = maximumBytes;
    if (!m_reader.startCopy())
        return std::nullopt;
    m_targets = m_reader.targets(m_deadline);
    if (hasMarker(m_targets))
        return std::nullopt;
    PasteboardSnapshot snapshot;
    snapshot.string = readText();
    snapshot.rtf = readFirst(rtfTargets);
    snapshot.png = readFirst({"image/png"});
    snapshot.tiff = readOtherImage(snapshot.png && !snapshot.png->isEmpty());
    readURLs(snapshot);
    if (m_reader.copyReplaced())
        return std::nullopt;
    return snapshot;
}

std::optional<QByteArray> X11SnapshotReader::readFirst(const QByteArrayList& candidates) {
    for (const QByteArray& target : candidates) {
        if (m_targets.contains(target))
            return m_reader.read(target, m_deadline, m_maximumBytes);
    }
    return std::nullopt;
}

std::optional<QString> X11SnapshotReader::readText() {
    if (const auto utf8 = readFirst(utf8TextTargets))
        return withoutTrailingNul(QString::fromUtf8(*utf8));
    if (const auto latin1 = readFirst({"STRING"}))
        return withoutTrailingNul(QString::fromLatin1(*latin1));
    return std::nullopt;
}

std::optional<QByteArray> X11SnapshotReader::readOtherImage(bool pngFound) {
    // Only used when there is no PNG, so not worth a transfer otherwise.
    if (pngFound)
        return std::nullopt;
    if (m_targets.contains("image/tiff"))
        return m_reader.read("image/tiff", m_deadline, m_maximumBytes);
    const QByteArrayList decodable = QImageReader::supportedMimeTypes();
    for (const QByteArray& target : std::as_const(m_targets)) {
        if (target.startsWith("image/") && target != "image/png" && decodable.contains(target))
            return m_reader.read(target, m_deadline, m_maximumBytes);
    }
    return std::nullopt;
}

void X11SnapshotReader::readURLs(PasteboardSnapshot& snapshot) {
    if (const auto uriList = readFirst({"text/uri-list"})) {
        const ClipboardURLs urls = ClipboardURLs::fromUriList(*uriList);
        snapshot.fileURLs = urls.fileURLs;
        snapshot.webURLs = urls.webURLs;
    }
    if (snapshot.fileURLs.isEmpty()) {
        if (const auto copied = readFirst({"x-special/gnome-copied-files"}))
            snapshot.fileURLs = ClipboardURLs::fromGnomeCopiedFiles(*copied).fileURLs;
    }
}
