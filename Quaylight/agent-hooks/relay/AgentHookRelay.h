#pragma once
// The command an agent's hook runs (`quaylight agent-event ...`): reads the hook's JSON on
// standard input, keeps four members of it, and sends one envelope over the per-user
// socket to the running application. It prints nothing, writes no file and always exits
// 0, so a hook never reports an error to the agent, whether or not the application runs.

#include <sys/time.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ProcessCoreKit/records/AgentKind.h"
#include "QuaylightKit/project/HomeDirectory.h"

namespace quaylight {

struct AgentHookRelay {
    static constexpr std::size_t maxInputBytes = 1'048'576;
    static constexpr const char* testSessionID = "quaylight-connection-test";
    static constexpr double sendTimeoutSeconds = 0.5;

    struct Invocation {
        AgentKind provider = AgentKind::claude;
        std::int64_t protocolVersion = 0;
        std::optional<std::string> notificationHint;
        bool isConnectionTest = false;

        friend bool operator==(const Invocation&, const Invocation&) = default;
    };

    // What a run reads from and does to the world.
    struct Dependencies {
        std::function<std::string()> readInput;
        std::function<std::int32_t()> parentPID;
        std::function<HomeDirectory()> homeDirectory;
        std::function<std::string()> userTemporaryDirectory;
        // True when anything (file or folder) is at the path.
        std::function<bool(const std::string& path)> pathExists;
        std::function<bool(std::string_view payload, const std::string& socketPath, double timeoutSeconds)> send;

        static Dependencies live();
    };

    // `arguments` are those after "agent-event". Returns 0 on every path.
    static int run(const std::vector<std::string>& arguments);
    static int run(const std::vector<std::string>& arguments, const Dependencies& dependencies);

    // "--provider <codex|claude>", "--protocol <whole number>", "--hint <any>", "--test";
    // provider and protocol are required, a repeated option overrides the earlier one, and
    // anything else refuses the whole invocation.
    static std::optional<Invocation> parse(const std::vector<std::string>& arguments);

    // At most maxInputBytes + 1 bytes, so that longer input can be told apart.
    static std::string readBoundedStandardInput();

    // Connects within the time-out and hands over the whole payload in one send, then
    // shuts down the writing side. True when all of it was handed to the socket. Sends
    // nothing unless the socket's folder is private (isPrivateFolder) and the listening
    // peer runs as this user (peerIsThisUser).
    static bool send(std::string_view payload, const std::string& socketPath, double timeoutSeconds);

    // A real folder (not a symlink) owned by the effective user and closed to everyone else.
    static bool isPrivateFolder(const std::string& folder);
    // The connected peer's credentials are readable and name the effective user.
    static bool peerIsThisUser(int fd);
};

// Whole seconds and the microseconds left over, as socket time-outs take them.
timeval timevalFromSeconds(double seconds);

}  // namespace quaylight
