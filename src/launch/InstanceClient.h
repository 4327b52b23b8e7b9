#pragma once

#include "InstanceServer.h"

#include <optional>

// Hands a request to the running Velloq, if there is one.
class InstanceClient {
public:
    InstanceClient() = delete;

    // nullopt when no Velloq of this user is listening. Nothing is sent to
    // a socket that another user answers.
    static std::optional<InstanceServer::Reply> send(const InstanceServer::Request& request,
                                                     int replyTimeoutMs = 30000,
                                                     const QString& path = {});
    // Standard input, for a request, up to the size the running Velloq
    // accepts; nullopt when it holds more.
    static std::optional<QByteArray> readStandardInput();
};
