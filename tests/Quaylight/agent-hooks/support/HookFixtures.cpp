#include "tests/Quaylight/agent-hooks/support/HookFixtures.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "Quaylight/agent-hooks/config/AgentHookCommand.h"
#include "Quaylight/agent-hooks/paths/AgentHookPaths.h"

namespace quaylight::testsupport {
namespace {

void replaceAll(std::string& text, const std::string& token, const std::string& value) {
    for (auto at = text.find(token); at != std::string::npos; at = text.find(token, at + value.size()))
        text.replace(at, token.size(), value);
}

std::string jsonString(const std::string& text) { return nlohmann::json(text).dump(); }

}  // namespace

std::string HookHome::socketPath() const { return AgentHookPaths::standard(home(), "/tmp").socketPath; }

std::set<std::string> HookHome::owned() const {
    auto [preferred, fallback] = AgentHookPaths::candidates(home(), "/tmp");
    return AgentHookCommand::ownedCommandSet({preferred.socketPath, fallback.socketPath});
}

std::string HookHome::fixture(const std::string& name) const {
    std::string text = readFile(std::string(QUAYLIGHT_TEST_DATA_DIR) + "/" + name);
    std::string claude = AgentHookCommand::command(socketPath(), AgentKind::claude);
    std::string homeRelative = claude;
    replaceAll(homeRelative, "SOCK=\"" + AgentHookCommand::escapedForDoubleQuotes(socketPath()) + "\"",
               std::string("SOCK=\"") + AgentHookCommand::homeRelativeSocketPath + "\"");
    std::string protocol2 = claude;
    replaceAll(protocol2, "--protocol 1", "--protocol 2");
    replaceAll(text, "@CLAUDE@", jsonString(claude));
    replaceAll(text, "@CLAUDE_IDLE@", jsonString(AgentHookCommand::command(socketPath(), AgentKind::claude, "idle_prompt")));
    replaceAll(text, "@CLAUDE_HOME_RELATIVE@", jsonString(homeRelative));
    replaceAll(text, "@CLAUDE_PROTOCOL_2@", jsonString(protocol2));
    replaceAll(text, "@CODEX@", jsonString(AgentHookCommand::command(socketPath(), AgentKind::codex)));
    return text;
}

void HookHome::place(const std::string& path, const std::string& text, mode_t mode) const {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    chmod(path.c_str(), mode);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace quaylight::testsupport
