#pragma once

#include "launch/InstanceServer.h"

#include <QStringList>

class AppServices;

// Where a history command runs: in the running Velloq when there is one,
// else in this process on the files.
class CommandRouter {
public:
    CommandRouter() = delete;

    // Runs a command of the command line, printing its output; returns the
    // exit code.
    static int runCommand(const QStringList& arguments);

    // Runs a history command in this process, on the running Velloq's
    // services when given, else on the files.
    static InstanceServer::Reply runHistoryCommand(const InstanceServer::Request& request,
                                                   AppServices* services);
};
