#pragma once

#include "KeyboardShortcuts/HotKeyRegistering.h"

#include <QHash>
#include <QSet>

#include <optional>

// System key grabs for tests: records what is grabbed, refuses chosen
// combinations, and plays presses and releases of grabbed ones.
class RecordingHotKeys final : public KeyboardShortcuts::HotKeyRegistering {
public:
    using Combination = std::pair<quint32, quint32>;

    QHash<quint32, Combination> grabbed;
    QSet<Combination> refused;
    int registrations = 0;

    bool registerHotKey(quint32 id, quint32 keyCode, quint32 modifiers) override {
        if (refused.contains({keyCode, modifiers}))
            return false;
        ++registrations;
        grabbed.insert(id, {keyCode, modifiers});
        return true;
    }
    void unregisterHotKey(quint32 id) override { grabbed.remove(id); }
    // Refused combinations stand for ones another program holds.
    bool isTakenBySystem(quint32 keyCode, quint32 modifiers) override {
        return refused.contains({keyCode, modifiers});
    }

    bool isGrabbed(quint32 keyCode, quint32 modifiers) const {
        return idOf(keyCode, modifiers).has_value();
    }
    // A press or release of a combination, as the system reports it; false
    // when nothing grabbed it.
    bool play(quint32 keyCode, quint32 modifiers, KeyboardShortcuts::EventType type) {
        const auto id = idOf(keyCode, modifiers);
        if (!id || !onHotKeyEvent)
            return false;
        onHotKeyEvent(*id, type);
        return true;
    }
    std::optional<quint32> idOf(quint32 keyCode, quint32 modifiers) const {
        for (auto it = grabbed.cbegin(); it != grabbed.cend(); ++it) {
            if (it.value() == Combination{keyCode, modifiers})
                return it.key();
        }
        return std::nullopt;
    }
};
