#include "ProcessCoreKit/recognition/AgentProcessDetector.h"

#include <array>
#include <vector>

#include "ProcessCoreKit/recognition/HostAppRecognition.h"
#include "ProcessCoreKit/support/Text.h"

namespace quaylight {
namespace {

// "claude.exe" is the native executable that Claude Code's npm package runs.
constexpr std::array<std::pair<std::string_view, AgentKind>, 3> kAgentBasenames{{
    {"claude", AgentKind::claude},
    {"codex", AgentKind::codex},
    {"claude.exe", AgentKind::claude},
}};

struct ManagedCLIBundle {
    std::string_view bundleIdentifier;
    std::string_view executableName;
    AgentKind kind;
};
constexpr std::array<ManagedCLIBundle, 1> kManagedCLIBundles{{
    {"com.anthropic.claude-code", "claude", AgentKind::claude},
}};

constexpr std::size_t kCommandNameBytes = 15;  // the kernel keeps 15 bytes of a name

std::vector<std::string_view> splitKeepingEmpty(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (;;) {
        auto end = text.find(separator, start);
        pieces.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return pieces;
        start = end + 1;
    }
}

bool isNumericVersion(std::string_view version) {
    auto pieces = splitKeepingEmpty(version, '.');
    if (pieces.size() < 3) return false;
    for (auto piece : pieces) {
        if (piece.empty()) return false;
        for (char c : piece)
            if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

std::optional<AgentKind> AgentProcessDetector::agentKindForBasename(std::string_view basename) {
    for (const auto& [name, kind] : kAgentBasenames)
        if (name == basename) return kind;
    return std::nullopt;
}

bool AgentProcessDetector::isScriptInterpreter(std::string_view basename) { return basename == "node"; }

bool AgentProcessDetector::isNativeInstalledClaudeCandidate(const std::optional<std::string>& name,
                                                            const std::optional<std::string>& executablePath) {
    if (!executablePath) return false;
    std::vector<std::string_view> pieces;
    for (auto piece : splitKeepingEmpty(*executablePath, '/'))
        if (!piece.empty()) pieces.push_back(piece);
    if (pieces.size() < 5) return false;
    const auto* last = pieces.data() + pieces.size() - 5;
    if (last[0] != ".local" || last[1] != "share" || last[2] != "claude" || last[3] != "versions") return false;
    std::string_view version = last[4];
    if (!name) return false;
    bool nameMatches = *name == version || *name == version.substr(0, kCommandNameBytes) || *name == "claude";
    if (!nameMatches) return false;
    return isNumericVersion(version);
}

bool AgentProcessDetector::isCodexAppServerDaemon(const ProcessSnapshot& snapshot) {
    if (!snapshot.argv || snapshot.argv->empty() || kindByName(snapshot) != AgentKind::codex) return false;
    const auto& argv = *snapshot.argv;
    // The npm package's node wrapper passes its arguments on to the native executable.
    auto program = pathBasename(argv[0]);
    std::size_t first = program && isScriptInterpreter(*program) ? 2 : 1;
    if (argv.size() <= first || argv[first] != "app-server") return false;
    for (std::size_t i = first + 1; i < argv.size(); ++i)
        if (argv[i] == "--managed-daemon" || argv[i] == "daemon") return true;
    return false;
}

std::optional<AgentKind> AgentProcessDetector::detect(const ProcessSnapshot& snapshot) {
    if (isCodexAppServerDaemon(snapshot)) return std::nullopt;
    return kindByName(snapshot);
}

std::optional<AgentKind> AgentProcessDetector::kindByName(const ProcessSnapshot& snapshot) {
    if (!snapshot.sameUser) return std::nullopt;
    const auto& path = snapshot.executablePath;
    const auto& bundle = snapshot.bundleIdentifier;

    if (bundle) {
        for (const auto& entry : kManagedCLIBundles) {
            if (entry.bundleIdentifier != *bundle) continue;
            auto candidate = basenameOrName(path, snapshot.name);
            if (candidate && *candidate == entry.executableName) return entry.kind;
        }
    }

    if (isNativeInstalledClaudeCandidate(snapshot.name, path) && snapshot.argv && !snapshot.argv->empty()) {
        auto argv0 = pathBasename(snapshot.argv->front());
        if (argv0 && *argv0 == "claude") return AgentKind::claude;
    }
    if (bundle) return std::nullopt;

    std::optional<std::string> candidate;
    if (path) {
        if (path->find(".app/Contents/") != std::string::npos) return std::nullopt;
        if (HostAppRecognition::recognize(snapshot)) return std::nullopt;
        candidate = basenameOrName(path, snapshot.name);
    } else {
        if (HostAppRecognition::recognize(snapshot) || !snapshot.name) return std::nullopt;
        candidate = snapshot.name;
    }
    if (!candidate) return std::nullopt;

    if (auto kind = agentKindForBasename(*candidate)) return kind;
    if (isScriptInterpreter(*candidate)) {
        const auto& argv = snapshot.argv;
        if (!argv || argv->size() < 2) return std::nullopt;
        auto interpreter = pathBasename((*argv)[0]);
        auto script = pathBasename((*argv)[1]);
        if (!interpreter || !isScriptInterpreter(*interpreter) || !script) return std::nullopt;
        return agentKindForBasename(*script);
    }
    return std::nullopt;
}

AgentKind AgentProviderResolver::resolve(AgentKind detected, std::optional<HostAppKind> host,
                                         std::optional<AgentKind> previous) {
    if (!host) return previous.value_or(detected);
    if (*host == HostAppKind::chatgpt) return AgentKind::codex;
    if (*host == HostAppKind::claudeDesktop) return AgentKind::claude;
    return detected;
}

}  // namespace quaylight
