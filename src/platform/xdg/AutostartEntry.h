#pragma once

#include <QString>

// Starting Velloq at login the freedesktop way: the application's desktop
// entry, copied into the user's autostart folder with the program's real
// path and a short delay, so that the tray is there when Velloq starts.
class AutostartEntry {
public:
    // The numbering login-item services use.
    enum class Status { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

    static constexpr const char* fileName = VELLOQ_APP_ID ".desktop";
    // The name earlier versions wrote; read as this entry, removed with it.
    static constexpr const char* earlierFileName = "velloq.desktop";
    static constexpr int startDelaySeconds = 3;

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

    // The application's desktop entry with `executable` in its commands.
    static QString entryText(const QString& executable);
    // The desktop entry the installation puts in the applications folder.
    static QString applicationEntry();

private:
    QString earlierPath() const;

    QString m_folder;
    QString m_executable;
};
