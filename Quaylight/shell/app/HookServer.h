#pragma once
// The hook socket server as the delegate runs it: started and stopped synchronously on the
// server's own queue, envelopes handed out on that queue. A fake stands in for tests.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Quaylight/agent-hooks/server/AgentHookSocketServer.h"

namespace quaylight {

class HookServer {
public:
    using StartError = AgentHookSocketServer::StartError;
    using EnvelopeHandler = AgentHookSocketServer::EnvelopeHandler;

    virtual ~HookServer() = default;
    virtual std::optional<StartError> start() = 0;
    // Closes every descriptor and removes the socket file.
    virtual void stop() = 0;
    virtual const AgentHookPaths& paths() const = 0;
};

using HookServerFactory = std::function<std::unique_ptr<HookServer>(const AgentHookPaths&, HookServer::EnvelopeHandler)>;

// AgentHookSocketServer with its default dependencies.
HookServerFactory liveHookServers();

// The text the settings and the Agents panel show when the server cannot start.
std::string receiverFailureReason(HookServer::StartError error, const AgentHookPaths& paths);

}  // namespace quaylight
