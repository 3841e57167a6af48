#pragma once
// Where the per-user hook socket lives. The relay, the application's server and the hook
// command text all compute it here, each on its own, so they agree without sharing state.

#include <optional>
#include <string>
#include <utility>

namespace quaylight {

struct AgentHookPaths {
    std::string runtimeDirectory;
    std::string socketPath;

    friend bool operator==(const AgentHookPaths&, const AgentHookPaths&) = default;

    static constexpr const char* socketName = "agent-events.sock";
    // Below the home folder; used while the socket path stays under this many bytes.
    static constexpr const char* preferredFolderUnderHome = "/.local/share/Quaylight/Runtime";
    static constexpr std::size_t preferredSocketPathLimit = 104;
    // The longest path a socket address holds, less its terminating zero byte.
    static constexpr std::size_t maxSocketPathBytes = 103;

    // The preferred location when its socket path is shorter than 104 bytes, otherwise the
    // fallback under the per-user temporary folder (userTemporaryDirectory() when none is
    // given), in a folder of fallbackFolderName().
    static AgentHookPaths standard(const std::string& homeDirectory,
                                   const std::optional<std::string>& userTemporaryDirectory = std::nullopt);
    // (preferred, fallback). Both are needed to recognise commands written for either.
    static std::pair<AgentHookPaths, AgentHookPaths> candidates(
        const std::string& homeDirectory, const std::optional<std::string>& userTemporaryDirectory = std::nullopt);

    // The per-user temporary folder: $XDG_RUNTIME_DIR when it is an absolute path, else
    // "/tmp".
    static std::string userTemporaryDirectory();

    static constexpr const char* sharedTemporaryDirectory = "/tmp";
    // The fallback folder's name in a temporary folder: "quaylight" in a per-user one,
    // "quaylight-<effective uid>" in the shared "/tmp".
    static std::string fallbackFolderName(const std::string& temporaryDirectory);
};

}  // namespace quaylight
