#include "DesktopEntries.h"

#include "history/PrivateFiles.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// New applications appear while Velloq runs; a lookup that finds nothing
// rescans, at most this often.
constexpr qint64 rescanAfterSeconds = 30;

bool equalsIgnoringCase(const QString& a, const QString& b) {
    return !a.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
}

QString lastDotPart(const QString& id) {
    return id.mid(id.lastIndexOf(u'.') + 1);
}

// A key's values by the locale in its brackets, "" for the key without.
using LocalizedValues = QHash<QString, QString>;

bool takeLocalized(const QString& key, QLatin1StringView name, const QString& value,
                   LocalizedValues& values) {
    if (key == name) {
        values.insert(QString(), value);
        return true;
    }
    if (key.size() <= name.size() + 2 || !key.startsWith(name) || key.at(name.size()) != u'[' ||
        !key.endsWith(u']'))
        return false;
    values.insert(key.sliced(name.size() + 1, key.size() - name.size() - 2), value);
    return true;
}

// The locales a translation is looked up under, best first: for each
// language lang_COUNTRY.ENCODING@MODIFIER, lang_COUNTRY@MODIFIER,
// lang_COUNTRY, lang@MODIFIER, then lang. The encoding plays no part; a
// missing country or modifier makes steps repeat, and repeats are dropped.
QStringList lookupLocales(const QStringList& languages) {
    QStringList locales;
    const auto add = [&locales](const QString& locale) {
        if (!locales.contains(locale))
            locales.append(locale);
    };
    for (const QString& language : languages) {
        const qsizetype at = language.indexOf(u'@');
        const QString modifier = at < 0 ? QString() : language.mid(at);
        const QString withCountry = language.left(at).section(u'.', 0, 0);
        const QString lang = withCountry.section(u'_', 0, 0);
        if (lang.isEmpty() || lang == "C"_L1 || lang == "POSIX"_L1)
            continue;
        add(withCountry + modifier);
        add(withCountry);
        add(lang + modifier);
        add(lang);
    }
    return locales;
}

QString inBestLocale(const LocalizedValues& values, const QStringList& locales) {
    for (const QString& locale : locales) {
        if (const auto found = values.constFind(locale); found != values.cend())
            return *found;
    }
    return values.value(QString());
}

} // namespace

DesktopEntries::DesktopEntries(QStringList applicationFolders, QStringList languages)
    : m_folders(std::move(applicationFolders)), m_languages(std::move(languages)) {}

QStringList DesktopEntries::defaultApplicationFolders() {
    return QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
}

QStringList DesktopEntries::userLanguages(const Environment& environment) {
    const QString priorities = environment("LANGUAGE");
    if (!priorities.isEmpty())
        return priorities.split(u':', Qt::SkipEmptyParts);
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString locale = environment(variable);
        if (!locale.isEmpty())
            return {locale};
    }
    return {};
}

QString DesktopEntries::environmentVariable(const char* variable) {
    return qEnvironmentVariable(variable);
}

std::optional<QString> DesktopEntries::applicationIdForWindowClass(const QString& instance,
                                                                   const QString& className) {
    if (!m_scannedAt.isValid())
        scanIfStale();
    if (auto id = match(instance, className))
        return id;
    scanIfStale();
    return match(instance, className);
}

std::optional<DesktopEntries::Entry> DesktopEntries::entry(const QString& id) {
    if (!m_scannedAt.isValid())
        scanIfStale();
    for (const Entry& entry : std::as_const(m_entries)) {
        if (entry.id == id)
            return entry;
    }
    return std::nullopt;
}

QList<DesktopEntries::Entry> DesktopEntries::applications() {
    scanIfStale();
    QList<Entry> shown;
    for (const Entry& entry : std::as_const(m_entries)) {
        if (!entry.hidden && !entry.name.isEmpty())
            shown.append(entry);
    }
    std::ranges::sort(shown, [](const Entry& a, const Entry& b) {
        return QString::localeAwareCompare(a.name, b.name) < 0;
    });
    return shown;
}

QIcon DesktopEntries::applicationIcon(const QString& id) {
    const auto found = entry(id);
    if (!found || found->icon.isEmpty())
        return {};
    if (QFileInfo(found->icon).isAbsolute())
        return QFileInfo::exists(found->icon) ? QIcon(found->icon) : QIcon();
    return QIcon::fromTheme(found->icon);
}

QString DesktopEntries::applicationName(const QString& id) {
    const auto found = entry(id);
    return found ? found->name : QString();
}

std::optional<QString> DesktopEntries::match(const QString& instance,
                                             const QString& className) const {
    const auto find = [this](auto&& predicate) -> std::optional<QString> {
        for (const Entry& entry : m_entries) {
            if (predicate(entry))
                return entry.id;
        }
        return std::nullopt;
    };
    if (auto id = find([&](const Entry& e) {
            return !e.startupWMClass.isEmpty() &&
                   (e.startupWMClass == className || e.startupWMClass == instance);
        }))
        return id;
    if (auto id = find([&](const Entry& e) {
            return equalsIgnoringCase(e.id, className) || equalsIgnoringCase(e.id, instance);
        }))
        return id;
    return find([&](const Entry& e) {
        const QString last = lastDotPart(e.id);
        return equalsIgnoringCase(last, className) || equalsIgnoringCase(last, instance);
    });
}

void DesktopEntries::scanIfStale() {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (m_scannedAt.isValid() && m_scannedAt.secsTo(now) < rescanAfterSeconds)
        return;
    m_scannedAt = now;
    m_entries.clear();
    for (const QString& folder : std::as_const(m_folders))
        scanFolder(folder);
}

void DesktopEntries::scanFolder(const QString& folder) {
    QSet<QString> known;
    for (const Entry& entry : std::as_const(m_entries))
        known.insert(entry.id);
    QDirIterator files(folder, {u"*.desktop"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        QString id = path.mid(folder.size() + 1);
        id.chop(8); // ".desktop"
        id.replace(u'/', u'-');
        if (known.contains(id))
            continue;
        known.insert(id);
        if (auto entry = readEntry(path, id))
            m_entries.append(std::move(*entry));
    }
}

std::optional<DesktopEntries::Entry> DesktopEntries::readEntry(const QString& path,
                                                               const QString& id) const {
    // Read as the history is: a regular file (nothing here waits on a FIFO
    // or a device) of a size a desktop entry has, or skipped.
    const std::optional<QByteArray> text = readRegularFile(path, maximumEntryBytes);
    if (!text)
        return std::nullopt;
    return parseEntry(*text, id, m_languages);
}

std::optional<DesktopEntries::Entry> DesktopEntries::parseEntry(const QByteArray& text,
                                                                const QString& id,
                                                                const QStringList& languages) {
    Entry entry{id, {}, {}, {}, {}, false};
    LocalizedValues names;
    LocalizedValues genericNames;
    bool inMainGroup = false;
    for (const QByteArray& bytes : text.split('\n')) {
        const QString line = QString::fromUtf8(bytes).trimmed();
        if (line.startsWith(u'[')) {
            inMainGroup = line == "[Desktop Entry]"_L1;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inMainGroup || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (takeLocalized(key, "Name"_L1, value, names) ||
            takeLocalized(key, "GenericName"_L1, value, genericNames))
            continue;
        if (key == "Icon"_L1)
            entry.icon = value;
        else if (key == "StartupWMClass"_L1)
            entry.startupWMClass = value;
        else if (key == "Hidden"_L1 && value == "true"_L1)
            return std::nullopt;
        else if ((key == "NoDisplay"_L1 && value == "true"_L1) ||
                 (key == "Type"_L1 && value != "Application"_L1))
            entry.hidden = true;
    }
    const QStringList locales = lookupLocales(languages);
    entry.name = inBestLocale(names, locales);
    entry.genericName = inBestLocale(genericNames, locales);
    return entry;
}
