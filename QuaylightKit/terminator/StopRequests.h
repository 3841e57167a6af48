#pragma once
// What the user asked to stop, built from scan data when an action is picked (no system
// call): the value the panel shows for confirmation and hands to ListenerTerminator once
// confirmed. No request means the action is not offered. A request may outlive the
// process it names; the terminator's live check catches that, never the request.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "ProcessCoreKit/records/AgentProcessIdentity.h"
#include "ProcessCoreKit/records/ProcessSnapshot.h"
#include "ProcessCoreKit/safety/ProcessSafetyClassifier.h"
#include "QuaylightKit/engine/WorkerPoolCollapser.h"
#include "QuaylightKit/listener/PortListener.h"

namespace quaylight {

// One listener's own process, as scanned.
struct ListenerProcessRequest {
    std::string id;  // the listener's stable id
    std::string displayName;
    std::int32_t pid = 0;
    std::int64_t port = 0;
    std::string signalName;
    ProcessIdentity target;  // the live check compares against it

    friend bool operator==(const ListenerProcessRequest&, const ListenerProcessRequest&) = default;
};

// SIGTERM to one listener's process: offered for a visible single process that may be
// signalled.
struct KillRequest : ListenerProcessRequest {
    static std::optional<KillRequest> request(const PortListener& listener,
                                              const ProcessSafetyClassifier::Context& context);
};

// SIGKILL to the same process, offered exactly where KillRequest is.
struct ForceKillRequest : ListenerProcessRequest {
    static std::optional<ForceKillRequest> request(const PortListener& listener,
                                                   const ProcessSafetyClassifier::Context& context);
};

// SIGTERM to a visible worker pool: to its supervisor, or to the workers one by one when
// the supervisor must not be signalled.
struct StopPoolRequest {
    std::string id;           // the listener's stable id
    std::string displayName;  // of the pool's representative
    std::int32_t representativePID = 0;
    std::int64_t port = 0;
    std::int64_t poolSize = 0;
    std::string signalName = "SIGTERM";
    ProcessIdentity supervisor;  // the process that forked the workers
    WorkerPoolCollapser::Signals poolSignals;

    friend bool operator==(const StopPoolRequest&, const StopPoolRequest&) = default;

    static std::optional<StopPoolRequest> request(const PortListener& listener,
                                                  const ProcessSafetyClassifier::Context& context);
};

// SIGTERM to one verified agent process.
struct StopAgentRequest {
    std::string id;  // chosen by the caller: the agent session's id
    std::string providerName;
    std::int32_t pid = 0;
    std::string signalName = "SIGTERM";
    AgentProcessIdentity target;

    friend bool operator==(const StopAgentRequest&, const StopAgentRequest&) = default;

    // The pure check over a live read the caller made: the same process, allowed to be
    // signalled, and still detected as an agent of the same kind.
    static std::optional<StopAgentRequest> request(std::string id, AgentKind provider,
                                                   const AgentProcessIdentity& identity,
                                                   const std::optional<ProcessSnapshot>& live, bool appleSystemBinary,
                                                   bool inQuaylightSubtree,
                                                   const ProcessSafetyClassifier::Context& context);
};

using StopVisibleTarget = std::variant<KillRequest, StopPoolRequest>;

// SIGTERM to every distinct process or pool behind the rows the list shows.
struct StopVisibleRequest {
    std::string id;                          // the targets' keys joined with "|"
    std::int64_t listenerCount = 0;          // listeners that qualified; several may share a target
    std::vector<StopVisibleTarget> targets;  // distinct, in listener order

    friend bool operator==(const StopVisibleRequest&, const StopVisibleRequest&) = default;

    std::int64_t targetCount() const { return static_cast<std::int64_t>(targets.size()); }

    // `listeners`: the rows the list renders, in order.
    static std::optional<StopVisibleRequest> request(const std::vector<PortListener>& listeners,
                                                     const ProcessSafetyClassifier::Context& context);
};

}  // namespace quaylight
