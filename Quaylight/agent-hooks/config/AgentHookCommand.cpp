#include "Quaylight/agent-hooks/config/AgentHookCommand.h"

#include <fmt/format.h>

#include "Quaylight/agent-hooks/paths/InstalledExecutable.h"
#include "Quaylight/agent-hooks/protocol/AgentHookProtocol.h"

namespace quaylight {
namespace {

std::string relayArguments(AgentKind provider, const std::optional<std::string>& hint) {
    std::string arguments =
        fmt::format("agent-event --provider {} --protocol {}", rawValue(provider), AgentHookProtocol::protocolVersion);
    if (hint) arguments += " --hint " + *hint;
    return arguments;
}

// `quotedSocket` is already fit for the inside of the double quotes.
std::string commandWithQuotedSocket(std::string_view quotedSocket, AgentKind provider,
                                    const std::optional<std::string>& hint) {
    return fmt::format(R"(APP="{}"; SOCK="{}"; if [ -x "$APP" ] && [ -S "$SOCK" ]; then exec "$APP" {}; fi; exit 0)",
                       AgentHookCommand::escapedForDoubleQuotes(InstalledExecutable::path()), quotedSocket,
                       relayArguments(provider, hint));
}

}  // namespace

std::string AgentHookCommand::escapedForDoubleQuotes(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        if (c == '"' || c == '$' || c == '`' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string AgentHookCommand::command(std::string_view socketPath, AgentKind provider,
                                      const std::optional<std::string>& hint) {
    return commandWithQuotedSocket(escapedForDoubleQuotes(socketPath), provider, hint);
}

std::vector<std::optional<std::string>> AgentHookCommand::hints(AgentKind provider) {
    if (provider == AgentKind::codex) return {std::nullopt};
    return {std::nullopt, "permission_prompt", "agent_needs_input", "idle_prompt"};
}

std::set<std::string> AgentHookCommand::ownedCommandSet(const std::vector<std::string>& socketPaths) {
    std::set<std::string> owned;
    for (AgentKind provider : allCases<AgentKind>()) {
        for (const auto& hint : hints(provider)) {
            for (const auto& path : socketPaths) owned.insert(command(path, provider, hint));
            owned.insert(commandWithQuotedSocket(homeRelativeSocketPath, provider, hint));
        }
    }
    return owned;
}

}  // namespace quaylight
