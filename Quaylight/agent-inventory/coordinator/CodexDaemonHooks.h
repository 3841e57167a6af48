#pragma once
// Codex's shared app-server daemon runs the hooks of every Codex session of the user from
// outside all of them: detached, it sits under no session once the terminal that started
// it has gone, and under the wrong one while that terminal runs another's. A hook it sent
// therefore names no agent above it. It belongs to the running Codex session of the
// hook's project, or to the only Codex session running; the daemon is never a session.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ProcessCoreKit/ancestry/ProcessAncestryFacts.h"
#include "ProcessCoreKit/records/AgentProcessIdentity.h"
#include "ProcessCoreKit/records/ProcessSnapshot.h"

namespace quaylight {

struct CodexDaemonHooks {
    // A running Codex session: its top agent process, its project and host app.
    struct Session {
        AgentProcessIdentity agent;
        std::optional<std::string> projectName;
        std::optional<ProcessAncestryFacts::HostAppOccurrence> host;
        friend bool operator==(const Session&, const Session&) = default;
    };
    using SessionsLookup = std::function<std::vector<Session>()>;

    // Whether the walk up from `start` through `chain` (the ancestors read above it, by
    // PID) meets Codex's daemon before any agent process.
    static bool cameThroughDaemon(const ProcessSnapshot& start, const std::map<std::int32_t, ProcessSnapshot>& chain);

    // The one session of the project; failing that, the only session running; else none.
    static std::optional<Session> sessionOf(const std::optional<std::string>& projectName,
                                            const std::vector<Session>& sessions);

    // The user's Codex sessions among the live processes.
    static std::vector<Session> liveSessions();
};

}  // namespace quaylight
