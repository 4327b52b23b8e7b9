#pragma once

#include "UpdateFeed.h"

#include <QObject>
#include <QProcess>

#include <memory>

// Checks, when the user asks, whether a newer Velloq is out. Nothing is
// downloaded or installed: distribution packages update Velloq. The feed is
// read by a small helper program, so the network libraries never stay in
// the running Velloq.
class UpdateManager : public QObject {
    Q_OBJECT

public:
    struct Result {
        enum class Kind { upToDate, available, failed };
        Kind kind = Kind::failed;
        UpdateFeed::Release release;
        // Why the check failed.
        QString problem;
    };

    static constexpr const char* helperName = "velloq-update-check";

    // `helper` is the program that reads the feed.
    explicit UpdateManager(QString currentVersion, QString helper = installedHelper(),
                           QObject* parent = nullptr);
    ~UpdateManager() override;
    UpdateManager(const UpdateManager&) = delete;
    UpdateManager& operator=(const UpdateManager&) = delete;

    // The helper beside the running program, else where it is installed.
    static QString installedHelper() { return installedProgram(helperName); }
    // Any of Velloq's helper programs, by name.
    static QString installedProgram(const char* name);

    // False while a check runs.
    bool canCheck() const { return !m_process; }
    void checkForUpdates();
    // Ends a running check; it reports nothing.
    void cancel();

    // How long a check may take in all, however slowly a server answers.
    int deadlineMilliseconds = 30'000;

Q_SIGNALS:
    void canCheckChanged(bool canCheck);
    void checkFinished(const UpdateManager::Result& result);

private:
    void finish(Result result);
    void stopHelper();
    Result resultOf(int exitCode, QProcess::ExitStatus status);

    QString m_currentVersion;
    QString m_helper;
    std::unique_ptr<QProcess> m_process;
};
