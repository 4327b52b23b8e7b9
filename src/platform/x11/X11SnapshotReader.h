#pragma once

#include "X11ClipboardReader.h"
#include "capture/PasteboardSnapshot.h"

#include <QByteArrayList>
#include <QDeadlineTimer>

#include <optional>

// Reads one copy of another client (its targets, then the representations
// a clip is made of) through a reader of its own, within one deadline.
class X11SnapshotReader {
public:
    X11SnapshotReader();

    // Copies owned by windows of this client (our own Qt connection) are not
    // read.
    void ignoreOwnersOfClient(uint32_t resourceIdBase, uint32_t resourceIdMask) {
        m_reader.ignoreOwnersOfClient(resourceIdBase, resourceIdMask);
    }

    // The current copy; nullopt when it is our own, when the owner marks it
    // as secret or short-lived, or when another copy replaces it during the
    // read.
    // Representations larger than `maximumBytes` are left out.
    std::optional<PasteboardSnapshot> read(QDeadlineTimer deadline, qint64 maximumBytes);

private:
    X11ClipboardReader m_reader;
};
