#include "X11SnapshotReader.h"

#include "platform/xdg/ClipboardOffer.h"

X11SnapshotReader::X11SnapshotReader() {
    m_reader.setWantedTargets(ClipboardOffer::wantedTypes());
}

std::optional<PasteboardSnapshot> X11SnapshotReader::read(QDeadlineTimer deadline,
                                                          qint64 maximumBytes) {
    if (!m_reader.startCopy())
        return std::nullopt;
    const QByteArrayList targets = m_reader.targets(deadline);
    std::optional<PasteboardSnapshot> snapshot =
        ClipboardOffer::snapshot(targets, [this, deadline, maximumBytes](const QByteArray& target) {
            return m_reader.read(target, deadline, maximumBytes);
        });
    if (m_reader.copyReplaced())
        return std::nullopt;
    return snapshot;
}
