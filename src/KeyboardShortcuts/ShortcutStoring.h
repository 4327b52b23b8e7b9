#pragma once

#include <QJsonValue>
#include <QString>
#include <QStringList>

namespace KeyboardShortcuts {

// Where the shortcuts are stored: a typed key-value store (the application's
// preferences; a test's own). Booleans must stay booleans, since "no
// shortcut" is stored as false.
class ShortcutStoring {
public:
    virtual ~ShortcutStoring() = default;

    virtual QJsonValue value(const QString& key) const = 0;
    virtual bool hasStoredValue(const QString& key) const = 0;
    virtual void set(const QString& key, const QJsonValue& value) = 0;
    virtual void remove(const QString& key) = 0;
    // Every key with a value.
    virtual QStringList keys() const = 0;
};

} // namespace KeyboardShortcuts
