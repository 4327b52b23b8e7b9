#pragma once

#include "capture/PasteboardSnapshot.h"

#include <QByteArrayList>

#include <functional>
#include <optional>

// One copy as a Linux clipboard offers it, on X11 and on Wayland alike: the
// types its owner lists, and a way to read one. Builds the snapshot a clip
// is made of, asking only for the types it needs, in order.
class ClipboardOffer {
public:
    ClipboardOffer() = delete;

    // Reads one type of the copy; none when it could not be read in time
    // or is too large.
    using Read = std::function<std::optional<QByteArray>(const QByteArray& type)>;

    // Every type a snapshot may look at, for readers that pass over the rest.
    static QByteArrayList wantedTypes();
    // The owner says the content is secret or fleeting.
    static bool hasMarker(const QByteArrayList& types);
    // None when marked, so nothing of it is read.
    static std::optional<PasteboardSnapshot> snapshot(const QByteArrayList& types,
                                                      const Read& read);
};
