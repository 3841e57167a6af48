#include "Quaylight/agent-hooks/paths/AgentHookPaths.h"

#include <unistd.h>

#include <cstdlib>

namespace quaylight {
namespace {

AgentHookPaths inFolder(std::string folder) {
    std::string socket = folder + "/" + AgentHookPaths::socketName;
    return {std::move(folder), std::move(socket)};
}

}  // namespace

std::pair<AgentHookPaths, AgentHookPaths> AgentHookPaths::candidates(
    const std::string& homeDirectory, const std::optional<std::string>& userTemporaryDirectory) {
    std::string temporary = userTemporaryDirectory ? *userTemporaryDirectory : AgentHookPaths::userTemporaryDirectory();
    if (!temporary.empty() && temporary.back() == '/') temporary.pop_back();  // one trailing "/" only
    return {inFolder(homeDirectory + preferredFolderUnderHome), inFolder(temporary + "/" + fallbackFolderName(temporary))};
}

std::string AgentHookPaths::fallbackFolderName(const std::string& temporaryDirectory) {
    // In the folder every user shares, a fixed name could be taken first by anyone.
    if (temporaryDirectory == sharedTemporaryDirectory) return "quaylight-" + std::to_string(geteuid());
    return "quaylight";
}

AgentHookPaths AgentHookPaths::standard(const std::string& homeDirectory,
                                        const std::optional<std::string>& userTemporaryDirectory) {
    auto [preferred, fallback] = candidates(homeDirectory, userTemporaryDirectory);
    return preferred.socketPath.size() < preferredSocketPathLimit ? preferred : fallback;
}

std::string AgentHookPaths::userTemporaryDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return runtime;
    return sharedTemporaryDirectory;
}

}  // namespace quaylight
