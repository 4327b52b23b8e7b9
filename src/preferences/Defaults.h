#pragma once

#include "KeyboardShortcuts/ShortcutStoring.h"

#include <QFileSystemWatcher>
#include <QJsonObject>
#include <QJsonValue>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

// The user's preferences: a typed JSON document (booleans stay booleans) at
// $XDG_CONFIG_HOME/Velloq/settings.json, plus a registration domain of
// defaults that is never written. Values are read at the point of use;
// `changed` fires after every write of ours and every outside edit of the
// file, so the application can react to either.
class Defaults : public QObject, public KeyboardShortcuts::ShortcutStoring {
    Q_OBJECT

public:
    // A larger settings file is not read.
    static constexpr qint64 maximumFileBytes = 16LL << 20;

    explicit Defaults(QString filePath, QObject* parent = nullptr);

    static QString defaultFilePath();
    // The application's preferences, created on first use and never released.
    static Defaults& standard();

    QString filePath() const { return m_filePath; }

    // The stored value, else the registered default, else undefined.
    QJsonValue value(const QString& key) const override;
    bool hasStoredValue(const QString& key) const override { return m_stored.contains(key); }
    void set(const QString& key, const QJsonValue& value) override;
    void remove(const QString& key) override;
    void registerDefaults(const QJsonObject& defaults);
    // Every key with a stored or a registered value.
    QStringList keys() const override;

    // Typed readers: a value of another type reads as the type's empty value
    // (0, false, no string, no list).
    qint64 integer(const QString& key) const;
    bool boolean(const QString& key) const;
    std::optional<QString> string(const QString& key) const;
    std::optional<QStringList> stringList(const QString& key) const;

    // A value converted to an integer the way the typed reader does, or
    // nullopt when it holds no number.
    static std::optional<qint64> integerValue(const QJsonValue& value);

Q_SIGNALS:
    void changed();

private:
    void reload();
    void write();
    void watchFile();

    QString m_filePath;
    QJsonObject m_stored;
    QJsonObject m_registered;
    QFileSystemWatcher m_watcher;
    bool m_unreadableFile = false;
};
