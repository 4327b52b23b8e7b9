#include "PrivateSessionBus.h"

#include <QByteArray>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

void runOnPrivateSessionBus(int argc, char* argv[]) {
    if (qEnvironmentVariableIsSet("VELLOQ_ON_PRIVATE_BUS"))
        return;
    QByteArray option = "--config-file=" + qgetenv("VELLOQ_SESSION_BUS_CONFIG");
    if (option.endsWith('=')) {
        std::fputs("FAIL: VELLOQ_SESSION_BUS_CONFIG names no bus configuration (ctest sets it)\n",
                   stderr);
        std::exit(1);
    }
    qputenv("VELLOQ_ON_PRIVATE_BUS", "1");
    char program[] = "dbus-run-session";
    char separator[] = "--";
    std::vector<char*> command{program, option.data(), separator};
    command.insert(command.end(), argv, argv + argc);
    command.push_back(nullptr);
    ::execvp(program, command.data());
    std::fprintf(stderr, "FAIL: dbus-run-session (package dbus-bin) did not start: %s\n",
                 std::strerror(errno));
    std::exit(1);
}
