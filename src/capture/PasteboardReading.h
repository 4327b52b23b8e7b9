#pragma once

#include "PasteboardSnapshot.h"

#include <QtGlobal>

#include <functional>
#include <optional>

// The clipboard as the watcher polls it.
class PasteboardReading {
public:
    virtual ~PasteboardReading() = default;

    // Grows whenever any application takes the clipboard or changes it;
    // never decreases.
    virtual qint64 changeCount() = 0;

    // Calls `changed` on the calling thread whenever the counter may have
    // moved, so that nobody needs to poll; false when this reader cannot
    // tell, and must be polled.
    virtual bool watchChanges(std::function<void()> changed) {
        Q_UNUSED(changed);
        return false;
    }

    // nullopt: nothing to capture (the owner marks the content as secret or
    // short-lived, the clipboard is Velloq's own, or a newer copy replaced it
    // before the read ended).
    using SnapshotHandler = std::function<void(std::optional<PasteboardSnapshot>)>;

    // Reads the current content and hands it to `done` on the calling
    // thread, either before returning or later from its event loop; a reader
    // that waits for other applications must never block the caller.
    virtual void readSnapshot(SnapshotHandler done) = 0;

    // Representations larger than this are not read (they would not be
    // kept); a reader that cannot stop early may ignore it.
    virtual void setMaximumBytes(qint64 bytes) { Q_UNUSED(bytes); }

protected:
    PasteboardReading() = default;
    PasteboardReading(const PasteboardReading&) = default;
    PasteboardReading& operator=(const PasteboardReading&) = default;
};
