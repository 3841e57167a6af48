#include "Quaylight/agent-hooks/config/ProviderHookConfigurators.h"

#include "Quaylight/agent-hooks/config/AgentHookCommand.h"

namespace quaylight {
namespace {

using DesiredEntry = AgentHookConfigurator::DesiredEntry;

std::vector<DesiredEntry> plainEntries(AgentKind provider, const std::string& socketPath,
                                       std::initializer_list<const char*> events) {
    std::vector<DesiredEntry> entries;
    for (const char* event : events)
        entries.push_back({event, std::nullopt, AgentHookCommand::command(socketPath, provider)});
    return entries;
}

}  // namespace

std::vector<DesiredEntry> ClaudeHookConfigurator::desiredEntries(const std::string& socketPath) {
    auto entries = plainEntries(AgentKind::claude, socketPath,
                                {"SessionStart", "UserPromptSubmit", "PermissionRequest", "Stop", "StopFailure",
                                 "SessionEnd"});
    for (const auto& hint : AgentHookCommand::hints(AgentKind::claude))
        if (hint) entries.push_back({"Notification", hint, AgentHookCommand::command(socketPath, AgentKind::claude, hint)});
    return entries;
}

std::vector<DesiredEntry> CodexHookConfigurator::desiredEntries(const std::string& socketPath) {
    return plainEntries(AgentKind::codex, socketPath, {"SessionStart", "UserPromptSubmit", "PermissionRequest", "Stop"});
}

std::vector<DesiredEntry> desiredHookEntries(AgentKind provider, const std::string& socketPath) {
    return provider == AgentKind::claude ? ClaudeHookConfigurator::desiredEntries(socketPath)
                                         : CodexHookConfigurator::desiredEntries(socketPath);
}

std::string hookSettingsPath(AgentKind provider, const std::string& homeDirectory) {
    return homeDirectory + (provider == AgentKind::claude ? ClaudeHookConfigurator::settingsFileUnderHome
                                                          : CodexHookConfigurator::settingsFileUnderHome);
}

}  // namespace quaylight
