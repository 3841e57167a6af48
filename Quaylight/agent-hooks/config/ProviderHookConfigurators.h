#pragma once
// The hook entries wanted in each agent's settings file, and where that file lives.

#include <string>
#include <vector>

#include "ProcessCoreKit/records/AgentKind.h"
#include "Quaylight/agent-hooks/config/AgentHookConfigurator.h"

namespace quaylight {

struct ClaudeHookConfigurator {
    static constexpr const char* settingsFileUnderHome = "/.claude/settings.json";
    // Six events, then three notification groups whose matcher is also the relay's hint.
    static std::vector<AgentHookConfigurator::DesiredEntry> desiredEntries(const std::string& socketPath);
};

struct CodexHookConfigurator {
    static constexpr const char* settingsFileUnderHome = "/.codex/hooks.json";
    static std::vector<AgentHookConfigurator::DesiredEntry> desiredEntries(const std::string& socketPath);
};

// The provider's entries and settings file, for callers that hold an AgentKind.
std::vector<AgentHookConfigurator::DesiredEntry> desiredHookEntries(AgentKind provider, const std::string& socketPath);
std::string hookSettingsPath(AgentKind provider, const std::string& homeDirectory);

}  // namespace quaylight
