#pragma once

#include "PasteboardSnapshot.h"

#include <QtGlobal>

// The clipboard as the watcher polls it.
class PasteboardReading {
public:
    virtual ~PasteboardReading() = default;

    // Grows whenever any application takes the clipboard or changes it;
    // never decreases.
    virtual qint64 changeCount() = 0;

    // True when the owner marks the content as secret or short-lived.
    virtual bool isConcealedOrTransient() = 0;

    virtual PasteboardSnapshot snapshot() = 0;

    // Representations larger than this are not read (they would not be
    // kept); a reader that cannot stop early may ignore it.
    virtual void setMaximumBytes(qint64 bytes) { Q_UNUSED(bytes); }

protected:
    PasteboardReading() = default;
    PasteboardReading(const PasteboardReading&) = default;
    PasteboardReading& operator=(const PasteboardReading&) = default;
};
