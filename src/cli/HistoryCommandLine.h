#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>

class ClipStore;
class QCommandLineParser;

// The `velloq SUB-COMMAND …` interface to the history: list, search, add,
// pin, unpin, delete and clear, for people and scripts. Mutating commands
// hold an exclusive lock on the history folder for load-change-save.
class HistoryCommandLine {
public:
    enum ExitCode { Success = 0, Failure = 1, UsageError = 2, LockBusy = 3 };

    HistoryCommandLine(QTextStream& out, QTextStream& err);

    static bool isSubCommand(const QString& word);
    static QString usage();

    // `arguments` starts with the sub-command (the program name removed).
    int run(const QStringList& arguments);

    std::function<QByteArray()> readStandardInput;
    std::function<double()> now;
    int lockTimeoutMs = 2000;

private:
    int list(const QCommandLineParser& parser, const QString& directory);
    int search(const QCommandLineParser& parser, const QString& directory);
    int add(const QCommandLineParser& parser, ClipStore& store);
    int changeById(const QString& command, const QCommandLineParser& parser, ClipStore& store);
    int clear(ClipStore& store);
    int mutate(const QString& command, const QCommandLineParser& parser, const QString& directory);
    int printItems(const QCommandLineParser& parser, const QList<struct ClipItem>& items);
    int finishChange(const ClipStore& store);
    void warnIfUnreadable(const ClipStore& store);
    int usageError(const QString& message);
    int failure(const QString& message);

    QTextStream& m_out;
    QTextStream& m_err;
};
