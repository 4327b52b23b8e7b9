#pragma once

#include "InstanceServer.h"

#include <QStringList>

class AppServices;

// Where a history command runs: in the running Velloq when there is one,
// else in this process on the files.
class CommandRouter {
public:
    CommandRouter() = delete;

    // Whether the arguments start the application rather than name a
    // history command (none, or launch options such as -ShowOverview).
    static bool isApplicationLaunch(const QStringList& arguments);

    // Runs a command of the command line, printing its output; returns the
    // exit code.
    static int runCommand(const QStringList& arguments);

    // Runs a history command in this process, on the running Velloq's
    // services when given, else on the files.
    static InstanceServer::Reply runHistoryCommand(const InstanceServer::Request& request,
                                                   AppServices* services);
};
