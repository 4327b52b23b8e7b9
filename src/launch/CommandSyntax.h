#pragma once

#include <QString>
#include <QStringList>

// How the `velloq` command line reads, as far as it is known before the
// application's libraries are: the start of the application, help and
// version, and which command reads standard input.
class CommandSyntax {
public:
    CommandSyntax() = delete;

    // Whether the arguments start the application rather than name a
    // history command (none, or launch options such as -ShowOverview).
    static bool isApplicationLaunch(const QStringList& arguments);
    static bool isHelp(const QStringList& arguments);
    static bool isVersion(const QStringList& arguments);

    // Whether the command reads standard input (add without a kind option).
    static bool readsStandardInput(const QStringList& arguments);

    static QString usage();

    // A running Velloq's answer to a command meant for another history
    // folder, which then runs on its own; never a user's exit code.
    static constexpr int otherHistoryExitCode = 4;
};
