#pragma once

#include "capture/PasteboardReading.h"

#include <QList>

#include <utility>

// A clipboard that tests fill by hand; it counts how often it is read, and
// answers at once unless told to hold reads until `finishRead`.
class FakePasteboard final : public PasteboardReading {
public:
    qint64 changeCount() override { return count; }
    bool watchChanges(std::function<void()> changed) override {
        if (announcesChanges)
            announce = std::move(changed);
        return announcesChanges;
    }
    void readSnapshot(SnapshotHandler done) override {
        if (concealed) {
            done(std::nullopt);
            return;
        }
        ++snapshotCalls;
        if (holdReads)
            heldReads.append({contents, std::move(done)});
        else
            done(contents);
    }

    // Ends the oldest held read with what was on the clipboard when it began.
    void finishRead() {
        auto [snapshot, done] = heldReads.takeFirst();
        done(snapshot);
    }

    // A copy by another application: new contents and a moved counter.
    void copy(const PasteboardSnapshot& snapshot, bool markedSecret = false) {
        contents = snapshot;
        concealed = markedSecret;
        ++count;
        if (announce)
            announce();
    }

    qint64 count = 0;
    bool concealed = false;
    PasteboardSnapshot contents;
    int snapshotCalls = 0;
    bool holdReads = false;
    bool announcesChanges = false;
    std::function<void()> announce;
    QList<std::pair<PasteboardSnapshot, SnapshotHandler>> heldReads;
};

inline PasteboardSnapshot textSnapshot(const QString& text) {
    PasteboardSnapshot snapshot;
    snapshot.string = text;
    return snapshot;
}
