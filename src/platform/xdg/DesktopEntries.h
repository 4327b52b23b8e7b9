#pragma once

#include <QDateTime>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The installed applications' desktop entries, for turning a window's
// WM_CLASS into the application id that names it everywhere else (exclusion
// list, source of a clip, icons). Names are read in the user's language, as
// the desktop's own menus show them.
class DesktopEntries {
public:
    struct Entry {
        QString id; // file name without ".desktop"; sub-folders joined by "-"
        QString name;
        // What kind of application it is ("Web Browser"); often empty.
        QString genericName;
        QString icon;
        QString startupWMClass;
        // Entries that exist for other reasons than to be started by a
        // person (NoDisplay, or no application at all).
        bool hidden = false;
    };

    using Environment = std::function<QString(const char* variable)>;
    // The user's languages as Qt reads them for Velloq's own translations,
    // so that names and texts agree: $LANGUAGE's list when set, else the
    // first set of LC_ALL, LC_MESSAGES and LANG.
    static QStringList userLanguages(const Environment& environment = environmentVariable);

    // Folders searched in order; an earlier folder's entry hides a later one
    // with the same id. `languages` are locale names
    // (lang_COUNTRY.ENCODING@MODIFIER), most wanted first.
    explicit DesktopEntries(QStringList applicationFolders = defaultApplicationFolders(),
                            QStringList languages = userLanguages());

    static QStringList defaultApplicationFolders();

    // The id of the application whose windows carry this WM_CLASS, matched
    // the way desktop shells match windows: StartupWMClass first, then the
    // id, then the id's last dot-separated part (both ignoring case).
    std::optional<QString> applicationIdForWindowClass(const QString& instance,
                                                       const QString& className);

    std::optional<Entry> entry(const QString& id);
    // The applications a person starts, by name.
    QList<Entry> applications();

    // The installed application's icon (from the icon theme, or the file the
    // entry names) and name; a null icon and an empty name when there is no
    // entry for that id.
    QIcon applicationIcon(const QString& id);
    QString applicationName(const QString& id);

    // The entry written in `text` (a desktop entry file's bytes) under `id`,
    // its names in the first of `languages` it has; none for an entry marked
    // Hidden.
    static std::optional<Entry> parseEntry(const QByteArray& text, const QString& id,
                                           const QStringList& languages = {});

private:
    static QString environmentVariable(const char* variable);
    void scanIfStale();
    void scanFolder(const QString& folder);
    std::optional<Entry> readEntry(const QString& path, const QString& id) const;

    // Entries with every language's names run to tens of kilobytes; a file
    // much larger is not one.
    static constexpr qint64 maximumEntryBytes = 1024 * 1024;
    std::optional<QString> match(const QString& instance, const QString& className) const;

    QStringList m_folders;
    QStringList m_languages;
    QList<Entry> m_entries;
    QDateTime m_scannedAt;
};
