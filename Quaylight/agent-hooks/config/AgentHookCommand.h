#pragma once
// The shell command that every hook entry of Quaylight runs: it starts the installed
// executable as the relay when both the executable and the socket exist, and otherwise
// does nothing and succeeds.

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "ProcessCoreKit/records/AgentKind.h"

namespace quaylight {

struct AgentHookCommand {
    // The socket path written for the shell to expand; entries naming it are ours too.
    static constexpr const char* homeRelativeSocketPath = "$HOME/.local/share/Quaylight/Runtime/agent-events.sock";

    // The hook command for a socket path, a provider and an optional notification hint.
    static std::string command(std::string_view socketPath, AgentKind provider,
                               const std::optional<std::string>& hint = std::nullopt);

    // Every command text Quaylight may have written for these socket paths (and for the
    // home-relative one), over both providers and all their hints.
    static std::set<std::string> ownedCommandSet(const std::vector<std::string>& socketPaths);

    // The hints a provider's entries carry; no value stands for an entry without one.
    static std::vector<std::optional<std::string>> hints(AgentKind provider);

    // `text` made safe inside a double-quoted shell string: ", $, ` and \ are escaped.
    static std::string escapedForDoubleQuotes(std::string_view text);
};

}  // namespace quaylight
