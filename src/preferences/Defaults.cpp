#include "Defaults.h"

#include "history/PrivateFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

Defaults::Defaults(QString filePath, QObject* parent)
    : QObject(parent), m_filePath(std::move(filePath)) {
    // The folder is watched for a settings file that appears later, so it
    // has to exist from the start.
    createPrivateFolder(QFileInfo(m_filePath).absolutePath());
    reload();
    // Editors and our own writes replace the file by renaming, which ends a
    // watch on the file itself; the folder's watch notices the new file.
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &Defaults::reload);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &Defaults::reload);
    watchFile();
}

QString Defaults::defaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/Velloq/settings.json"_L1;
}

Defaults& Defaults::standard() {
    static auto* defaults = new Defaults(defaultFilePath());
    return *defaults;
}

QJsonValue Defaults::value(const QString& key) const {
    const auto stored = m_stored.constFind(key);
    if (stored != m_stored.constEnd())
        return *stored;
    return m_registered.value(key);
}

void Defaults::set(const QString& key, const QJsonValue& value) {
    if (m_stored.value(key) == value && m_stored.contains(key))
        return;
    m_stored.insert(key, value);
    write();
    Q_EMIT changed();
}

void Defaults::remove(const QString& key) {
    if (!m_stored.contains(key))
        return;
    m_stored.remove(key);
    write();
    Q_EMIT changed();
}

void Defaults::registerDefaults(const QJsonObject& defaults) {
    for (auto it = defaults.constBegin(); it != defaults.constEnd(); ++it)
        m_registered.insert(it.key(), it.value());
}

std::optional<qint64> Defaults::integerValue(const QJsonValue& value) {
    if (value.isBool())
        return value.toBool() ? 1 : 0;
    if (value.isString()) {
        bool ok = false;
        const qint64 number = value.toString().trimmed().toLongLong(&ok);
        return ok ? std::optional(number) : std::nullopt;
    }
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        return std::nullopt;
    const double number = std::trunc(value.toDouble());
    constexpr double limit = double(std::numeric_limits<qint64>::max());
    if (number >= limit || number <= -limit)
        return std::nullopt;
    return qint64(number);
}

qint64 Defaults::integer(const QString& key) const {
    return integerValue(value(key)).value_or(0);
}

bool Defaults::boolean(const QString& key) const {
    const QJsonValue stored = value(key);
    if (stored.isString()) {
        const QString text = stored.toString().trimmed().toLower();
        return text == "true"_L1 || text == "yes"_L1 || integerValue(stored).value_or(0) != 0;
    }
    return integerValue(stored).value_or(0) != 0;
}

std::optional<QString> Defaults::string(const QString& key) const {
    const QJsonValue stored = value(key);
    if (!stored.isString())
        return std::nullopt;
    return stored.toString();
}

std::optional<QStringList> Defaults::stringList(const QString& key) const {
    const QJsonValue stored = value(key);
    if (!stored.isArray())
        return std::nullopt;
    QStringList list;
    for (const QJsonValue element : stored.toArray()) {
        if (!element.isString())
            return std::nullopt;
        list.append(element.toString());
    }
    return list;
}

void Defaults::reload() {
    watchFile();
    QJsonObject loaded;
    if (const auto bytes = readRegularFile(m_filePath, maximumFileBytes)) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(*bytes, &error);
        // A half-edited or corrupt file keeps the values we have, and is
        // kept aside rather than overwritten by our next write.
        if (error.error != QJsonParseError::NoError || !document.isObject()) {
            m_unreadableFile = true;
            return;
        }
        loaded = document.object();
    } else if (QFileInfo::exists(m_filePath)) {
        // Not a regular file of a sensible size (a FIFO, a device, a huge
        // file): keep our values, and keep the file aside at our next write.
        m_unreadableFile = true;
        return;
    }
    m_unreadableFile = false;
    if (loaded == m_stored)
        return;
    m_stored = loaded;
    Q_EMIT changed();
}

void Defaults::write() {
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!createPrivateFolder(folder))
        return;
    if (m_unreadableFile && !keepUnreadableFileAside(m_filePath))
        return;
    m_unreadableFile = false;
    writePrivateFileAtomically(m_filePath, QJsonDocument(m_stored).toJson(QJsonDocument::Indented));
    watchFile();
}

void Defaults::watchFile() {
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (QFileInfo(folder).isDir() && !m_watcher.directories().contains(folder))
        m_watcher.addPath(folder);
    if (QFileInfo::exists(m_filePath) && !m_watcher.files().contains(m_filePath))
        m_watcher.addPath(m_filePath);
}

QStringList Defaults::keys() const {
    QStringList all = m_stored.keys();
    for (const QString& key : m_registered.keys()) {
        if (!m_stored.contains(key))
            all.append(key);
    }
    return all;
}
