#pragma once

#include <QString>

#include <optional>

namespace KeyboardShortcuts {

// What a recorder's validation function answers for a new shortcut: allow
// it, or refuse it with a reason shown to the user.
struct ValidationResult {
    std::optional<QString> disallowReason;

    static ValidationResult allow() { return {}; }
    static ValidationResult disallow(const QString& reason) { return {reason}; }
    bool isAllowed() const { return !disallowReason; }

    friend bool operator==(const ValidationResult&, const ValidationResult&) = default;
};

} // namespace KeyboardShortcuts
