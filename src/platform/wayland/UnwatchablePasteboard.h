#pragma once

#include "capture/PasteboardReading.h"

// The clipboard where the compositor lets no client watch it: it never
// changes as far as Velloq can tell, so nothing is captured, and the rest of
// the application (the history, its commands, the overlay) works as usual.
class UnwatchablePasteboard final : public PasteboardReading {
public:
    qint64 changeCount() override { return 0; }
    bool watchChanges(std::function<void()>) override { return true; }
    void readSnapshot(SnapshotHandler done) override { done(std::nullopt); }
};
