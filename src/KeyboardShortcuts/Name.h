#pragma once

#include "Shortcut.h"

#include <QMetaType>
#include <QString>

#include <optional>

namespace KeyboardShortcuts {

// A user-configurable shortcut of the application, stored in the
// preferences under "KeyboardShortcuts_" + rawValue. Names are equal when
// their raw values are.
class Name {
public:
    static constexpr const char* storagePrefix = "KeyboardShortcuts_";

    // With an initial shortcut, a name whose key holds nothing yet stores
    // that shortcut at once.
    Name() = default;
    explicit Name(const QString& rawValue, std::optional<Shortcut> initialShortcut = std::nullopt);

    const QString& rawValue() const { return m_rawValue; }
    const std::optional<Shortcut>& initialShortcut() const { return m_initialShortcut; }
    QString storageKey() const { return QLatin1String(storagePrefix) + m_rawValue; }

    friend bool operator==(const Name& a, const Name& b) { return a.m_rawValue == b.m_rawValue; }

private:
    QString m_rawValue;
    std::optional<Shortcut> m_initialShortcut;
};

inline size_t qHash(const Name& name, size_t seed = 0) {
    return qHash(name.rawValue(), seed);
}

} // namespace KeyboardShortcuts

Q_DECLARE_METATYPE(KeyboardShortcuts::Name)
