#pragma once

#include "InstanceServer.h"

#include <optional>

// Hands a request to the running Velloq, if there is one.
class InstanceClient {
public:
    InstanceClient() = delete;

    // nullopt when no Velloq of this user is listening.
    static std::optional<InstanceServer::Reply> send(const InstanceServer::Request& request,
                                                     int replyTimeoutMs = 30000);
};
