#pragma once

#include <QDateTime>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The installed applications' desktop entries, for turning a window's
// WM_CLASS into the application id that names it everywhere else (exclusion
// list, source of a clip, icons).
class DesktopEntries {
public:
    struct Entry {
        QString id; // file name without ".desktop"; sub-folders joined by "-"
        QString name;
        QString icon;
        QString startupWMClass;
        // Entries that exist for other reasons than to be started by a
        // person (NoDisplay, or no application at all).
        bool hidden = false;
    };

    // Folders searched in order; an earlier folder's entry hides a later one
    // with the same id.
    explicit DesktopEntries(QStringList applicationFolders = defaultApplicationFolders());

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

    // The entry written in `text` (a desktop entry file's bytes) under `id`;
    // none for an entry marked Hidden.
    static std::optional<Entry> parseEntry(const QByteArray& text, const QString& id);

private:
    void scanIfStale();
    void scanFolder(const QString& folder);
    static std::optional<Entry> readEntry(const QString& path, const QString& id);

    // Entries with every language's names run to tens of kilobytes; a file
    // much larger is not one.
    static constexpr qint64 maximumEntryBytes = 1024 * 1024;
    std::optional<QString> match(const QString& instance, const QString& className) const;

    QStringList m_folders;
    QList<Entry> m_entries;
    QDateTime m_scannedAt;
};
