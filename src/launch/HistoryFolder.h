#pragma once

#include <QString>
#include <QStringList>

// Where a command line's history folder is, known before the history's own
// library is loaded.
class HistoryFolder {
public:
    HistoryFolder() = delete;

    // The folder --data-dir names, else the user's.
    static QString of(const QStringList& arguments);
    // $XDG_DATA_HOME/Velloq, or the temporary folder's when there is no
    // data folder.
    static QString userDefault();
    static QString lockPath(const QString& folder);
};
