#pragma once

#include "capture/PasteboardReading.h"

// A clipboard that tests fill by hand; it counts how often it is read.
class FakePasteboard final : public PasteboardReading {
public:
    qint64 changeCount() override { return count; }
    bool isConcealedOrTransient() override { return concealed; }
    PasteboardSnapshot snapshot() override {
        ++snapshotCalls;
        return contents;
    }

    // A copy by another application: new contents and a moved counter.
    void copy(const PasteboardSnapshot& snapshot, bool markedSecret = false) {
        contents = snapshot;
        concealed = markedSecret;
        ++count;
    }

    qint64 count = 0;
    bool concealed = false;
    PasteboardSnapshot contents;
    int snapshotCalls = 0;
};

inline PasteboardSnapshot textSnapshot(const QString& text) {
    PasteboardSnapshot snapshot;
    snapshot.string = text;
    return snapshot;
}
