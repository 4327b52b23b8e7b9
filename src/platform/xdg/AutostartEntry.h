#pragma once

#include <QString>

// Starting Velloq at login the freedesktop way: a desktop entry in the
// user's autostart folder that runs the program by its real path.
class AutostartEntry {
public:
    // The numbering login-item services use.
    enum class Status { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

    static constexpr const char* fileName = "velloq.desktop";

    // `executable` is the program to start; empty when it is unknown.
    explicit AutostartEntry(QString folder = defaultFolder(),
                            QString executable = runningProgram());

    // $XDG_CONFIG_HOME/autostart.
    static QString defaultFolder();
    // This process's program file, its links resolved.
    static QString runningProgram();

    QString path() const;
    // Enabled when the entry is there and neither hidden nor switched off;
    // not found when the program to start is unknown.
    Status status() const;
    // Writes or removes the entry; false when that failed.
    bool registerEntry() const;
    bool unregisterEntry() const;

    // The entry's text for this program.
    static QString entryText(const QString& executable);

private:
    QString m_folder;
    QString m_executable;
};
