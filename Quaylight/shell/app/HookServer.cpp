#include "Quaylight/shell/app/HookServer.h"

namespace quaylight {

namespace {

class LiveHookServer final : public HookServer {
public:
    LiveHookServer(const AgentHookPaths& paths, EnvelopeHandler handler)
        : server_(paths, AgentHookSocketServer::Dependencies{}, std::move(handler)) {}

    std::optional<StartError> start() override { return server_.start(); }
    void stop() override { server_.stop(); }
    const AgentHookPaths& paths() const override { return server_.paths(); }

private:
    AgentHookSocketServer server_;
};

}  // namespace

HookServerFactory liveHookServers() {
    return [](const AgentHookPaths& paths, HookServer::EnvelopeHandler handler) -> std::unique_ptr<HookServer> {
        return std::make_unique<LiveHookServer>(paths, std::move(handler));
    };
}

std::string receiverFailureReason(HookServer::StartError error, const AgentHookPaths& paths) {
    using E = HookServer::StartError;
    switch (error) {
        case E::socketPathTooLong: return "The event endpoint path is too long for this system.";
        case E::runtimeDirectoryIsSymlink:
        case E::runtimeDirectoryNotOwnedByUser:
        case E::runtimeDirectoryUnavailable:
            return "Quaylight's runtime folder (" + paths.runtimeDirectory + ") is unusable.";
        case E::stalePathIsNotAnOwnedSocket: return "Something else occupies Quaylight's event-endpoint path.";
        case E::socketUnavailable: return "The local event endpoint couldn't be created.";
    }
    return "The local event endpoint couldn't start.";
}

}  // namespace quaylight
