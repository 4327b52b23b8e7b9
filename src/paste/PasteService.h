#pragma once

#include "PasteServicing.h"

#include <functional>
#include <optional>

// Writes the picked clip to the clipboard, reports the clipboard's change
// counter right after (so the watcher does not capture our own write), and,
// when Velloq may send key events, has the target application paste it.
class PasteService final : public PasteServicing {
public:
    struct Platform {
        std::function<void(const ClipContent&)> write;
        std::function<qint64()> changeCount;
        std::function<bool()> hasAccess;
        std::function<void()> requestAccess;
        std::function<std::optional<qint32>()> targetPID;
        std::function<void(qint32)> sendCommandV;
    };

    explicit PasteService(Platform platform) : m_platform(std::move(platform)) {}

    std::function<void(qint64)> onPasteboardWritten;

    void paste(const ClipItem& item) override;

    // Only the first steps of a paste: the clip on the clipboard, reported.
    void copy(const ClipContent& content);

private:
    Platform m_platform;
};
