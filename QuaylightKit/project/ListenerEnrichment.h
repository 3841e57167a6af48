#pragma once
// Everything a listener learns from its owner's ancestry and working directory: the agent
// that started it, its host app, its project, and whether it descends from this app.

#include <cstdint>
#include <optional>

#include "ProcessCoreKit/ancestry/ProcessAncestry.h"
#include "ProcessCoreKit/records/AgentProcessIdentity.h"
#include "QuaylightKit/focus/FocusTarget.h"
#include "QuaylightKit/project/AgentHost.h"
#include "QuaylightKit/project/ProjectResolver.h"

namespace quaylight {

struct ListenerEnrichment {
    struct Result {
        std::optional<AgentProcessIdentity> agentProcess;
        std::optional<AgentHost> host;
        std::optional<ListenerProject> project;
        std::optional<FocusTarget> focusTarget;
        bool isInQuaylightSubtree = false;

        std::optional<AgentKind> agentOrigin() const {
            return agentProcess ? std::optional(agentProcess->kind) : std::nullopt;
        }
        friend bool operator==(const Result&, const Result&) = default;
    };

    static Result enrich(const ProcessSnapshot& owner, std::int32_t quaylightPID, const SnapshotLookup& lookupSnapshot,
                         const PathExistenceTest& directoryExists, const WorkingDirectoryLookup& cwdForPID,
                         const HomeDirectory& homeDirectory);
};

}  // namespace quaylight
