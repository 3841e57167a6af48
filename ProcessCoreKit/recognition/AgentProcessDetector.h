#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ProcessCoreKit/records/AgentKind.h"
#include "ProcessCoreKit/records/HostAppKind.h"
#include "ProcessCoreKit/records/ProcessSnapshot.h"

namespace quaylight {

// Decides from one snapshot whether a process is a coding agent (Codex or Claude Code).
struct AgentProcessDetector {
    static std::optional<AgentKind> detect(const ProcessSnapshot& snapshot);

    // The native Claude Code install: an executable at .../.local/share/claude/versions/<version>.
    // Its command name is the version (at most 15 bytes on Linux) or the name it was started by,
    // usually the "claude" link.
    static bool isNativeInstalledClaudeCandidate(const std::optional<std::string>& name,
                                                 const std::optional<std::string>& executablePath);

    // Codex's shared app-server daemon (`codex app-server ... --managed-daemon`) and its
    // helpers (`codex app-server daemon ...`): started by the first Codex terminal session,
    // detached from it, serving every Codex session of the user and outliving them all.
    // It is the Codex executable but no agent session of its own. Only the arguments tell
    // it apart; without them the process counts as Codex.
    static bool isCodexAppServerDaemon(const ProcessSnapshot& snapshot);

    // Exact lookups in the constant tables.
    static std::optional<AgentKind> agentKindForBasename(std::string_view basename);
    static bool isScriptInterpreter(std::string_view basename);

private:
    // The kind the executable's name (or a node script's name) gives, daemon or not.
    static std::optional<AgentKind> kindByName(const ProcessSnapshot& snapshot);
};

// Settles the provider of an agent seen in a host app: the two agents' desktop apps decide.
struct AgentProviderResolver {
    static AgentKind resolve(AgentKind detected, std::optional<HostAppKind> host, std::optional<AgentKind> previous);
};

}  // namespace quaylight
