#include "GeneralPasteboard.h"

#include "ClipboardURLs.h"

#include <QClipboard>
#include <QImageReader>

using namespace Qt::StringLiterals;

namespace {

const QByteArrayList utf8TextTargets{"UTF8_STRING", "text/plain;charset=utf-8", "text/plain"};
const QByteArrayList rtfTargets{"text/rtf", "application/rtf", "text/richtext"};

const QByteArrayList markerTargets{"org.nspasteboard.ConcealedType",
                                   "org.nspasteboard.TransientType", "x-kde-passwordManagerHint"};

// Every target a snapshot may look at.
QByteArrayList wantedTargets() {
    QByteArrayList names = utf8TextTargets + rtfTargets + markerTargets;
    names << "STRING"
          << "image/png"
          << "image/tiff"
          << "text/uri-list"
          << "x-special/gnome-copied-files";
    for (const QByteArray& type : QImageReader::supportedMimeTypes()) {
        if (type.startsWith("image/") && !names.contains(type))
            names.append(type);
    }
    return names;
}

QString withoutTrailingNul(QString text) {
    // Some owners count the C string terminator as part of the data.
    while (text.endsWith(QChar(0)))
        text.chop(1);
    return text;
}

} // namespace

GeneralPasteboard::GeneralPasteboard(QClipboard* clipboard, xcb_connection_t* qtConnection,
                                     QObject* parent)
    : QObject(parent), m_clipboard(clipboard) {
    m_reader.setWantedTargets(wantedTargets());
    if (qtConnection) {
        const xcb_setup_t* setup = xcb_get_setup(qtConnection);
        m_reader.ignoreOwnersOfClient(setup->resource_id_base, setup->resource_id_mask);
    }
    if (clipboard) {
        // Emitted synchronously inside setMimeData, so a write of ours is
        // counted before the writer asks for the new value.
        connect(clipboard, &QClipboard::changed, this, [this](QClipboard::Mode mode) {
            if (mode == QClipboard::Clipboard && m_clipboard && m_clipboard->ownsClipboard())
                ++m_ownWrites;
        });
    }
}

qint64 GeneralPasteboard::changeCount() {
    return m_ownWrites + qint64(m_reader.ownerChanges());
}

bool GeneralPasteboard::hasMarker(const QByteArrayList& targets) {
    return std::any_of(targets.cbegin(), targets.cend(),
                       [](const QByteArray& target) { return markerTargets.contains(target); });
}

bool GeneralPasteboard::isConcealedOrTransient() {
    return hasMarker(currentTargets());
}

const QByteArrayList& GeneralPasteboard::currentTargets() {
    const qint64 count = changeCount();
    if (m_targetsChangeCount == count)
        return m_targets;
    // One budget per copy, started by its first read.
    m_targetsChangeCount = count;
    m_deadline = QDeadlineTimer(readBudgetMs);
    // Our own content is never captured, and reading it here would wait for
    // the event loop this call is blocking.
    const bool ours = m_clipboard && m_clipboard->ownsClipboard();
    m_targets = ours ? QByteArrayList() : m_reader.targets(m_deadline);
    return m_targets;
}

PasteboardSnapshot GeneralPasteboard::snapshot() {
    currentTargets();
    PasteboardSnapshot snapshot;
    snapshot.string = readText();
    snapshot.rtf = readFirst(rtfTargets);
    snapshot.png = readFirst({"image/png"});
    snapshot.tiff = readOtherImage(snapshot.png && !snapshot.png->isEmpty());
    readURLs(snapshot);
    return snapshot;
}

std::optional<QByteArray> GeneralPasteboard::readFirst(const QByteArrayList& candidates) {
    for (const QByteArray& target : candidates) {
        if (m_targets.contains(target))
            return m_reader.read(target, m_deadline, m_maximumBytes);
    }
    return std::nullopt;
}

std::optional<QString> GeneralPasteboard::readText() {
    if (const auto utf8 = readFirst(utf8TextTargets))
        return withoutTrailingNul(QString::fromUtf8(*utf8));
    if (const auto latin1 = readFirst({"STRING"}))
        return withoutTrailingNul(QString::fromLatin1(*latin1));
    return std::nullopt;
}

std::optional<QByteArray> GeneralPasteboard::readOtherImage(bool pngFound) {
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

void GeneralPasteboard::readURLs(PasteboardSnapshot& snapshot) {
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
