#pragma once

#include "history/ClipStore.h"
#include "launch/CommandSyntax.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QUuid>

#include <functional>
#include <optional>

struct ClipItem;
class QCommandLineParser;
class QLockFile;

// The `velloq SUB-COMMAND …` interface to the history: list, search, add,
// pin, unpin, delete, clear, copy and paste, and opening the overlay, for people and scripts.
// Mutating commands hold an exclusive lock on the history folder for load-change-save.
class HistoryCommandLine {
public:
    // OtherHistory never reaches a user: a running Velloq answers it to a
    // command meant for another history folder, which then runs on its own.
    enum ExitCode {
        Success = 0,
        Failure = 1,
        UsageError = 2,
        LockBusy = 3,
        OtherHistory = CommandSyntax::otherHistoryExitCode
    };

    HistoryCommandLine(QTextStream& out, QTextStream& err);

    static bool isSubCommand(const QString& word);

    // `arguments` starts with the sub-command (the program name removed).
    int run(const QStringList& arguments);

    // The process holding a lock that could not be taken; none when the lock
    // file itself could not be made or read (a read-only folder).
    static std::optional<qint64> lockHolder(const QLockFile& lock);

    std::function<QByteArray()> readStandardInput;
    std::function<double()> now;
    int lockTimeoutMs = 2000;
    // Larger content is refused by `add`, as the clipboard's is.
    qint64 maximumClipBytes = 32LL * 1024 * 1024;
    // Unpinned entries kept by changes made on the files.
    int historyLimit = ClipStore::defaultLimit;
    // Relative paths in arguments are taken from here.
    QString workingDirectory;

    // Inside a running Velloq: its store, the only writer of its history
    // while it runs, and its clipboard. Without them, commands work on the
    // files under a lock, and copy and paste are refused.
    ClipStore* runningStore = nullptr;
    std::function<void(const ClipItem&)> copyItem;
    std::function<void(const ClipItem&)> pasteItem;
    enum class WindowAction { showOverlay, toggleOverlay, showSettings, showMenu };
    std::function<void(WindowAction)> windowAction;

private:
    int openWindow(const QString& command);
    int list(const QCommandLineParser& parser, const QString& directory);
    int search(const QCommandLineParser& parser, const QString& directory);
    int add(const QCommandLineParser& parser, ClipStore& store);
    int changeById(const QString& command, const QCommandLineParser& parser, ClipStore& store);
    int clear(ClipStore& store);
    int pick(const QString& command, const QCommandLineParser& parser, ClipStore& store);
    int change(const QString& command, const QCommandLineParser& parser, ClipStore& store);
    std::optional<QUuid> findEntry(const QCommandLineParser& parser, const ClipStore& store,
                                   int& exitCode);
    int mutate(const QString& command, const QCommandLineParser& parser, const QString& directory);
    // The running Velloq's store, else the history files loaded into `local`.
    const ClipStore& readableStore(const QString& directory, std::optional<ClipStore>& local);
    int printItems(const QCommandLineParser& parser, const QList<ClipItem>& items);
    int finishChange(ClipStore& store);
    void warnIfUnreadable(const ClipStore& store);
    int usageError(const QString& message);
    int failure(const QString& message);

    QTextStream& m_out;
    QTextStream& m_err;
};
