#pragma once
// Stops processes on the user's behalf: the only place in Quaylight that sends a signal.
//
// Every operation re-reads its target from the live system immediately before signalling
// and refuses on any doubt: the PID now names another process (another start time), the
// process is no longer the user's, it is protected now, or (for an agent) it is no longer
// the same agent. The signal goes through a handle opened on the PID before that check
// (ProcessSignaller), so it cannot reach a process that took the PID over after it.
//
// Each operation blocks on process reads and system calls: the application runs it off
// its main thread. No operation throws; every result is an outcome with its message. The
// terminator holds no state between calls; two actions at once simply verify on their own.

#include <memory>
#include <optional>
#include <string>

#include "ProcessCoreKit/safety/ProcessSafetyClassifier.h"
#include "QuaylightKit/engine/PortEngine.h"
#include "QuaylightKit/platform/ProcessSignaller.h"
#include "QuaylightKit/terminator/StopOutcomes.h"
#include "QuaylightKit/terminator/StopRequests.h"

namespace quaylight {

class ListenerTerminator {
public:
    // The application passes the live machine (PortEngineDependencies::live()), this
    // process's own PID and user (Context::current()) and ProcessSignaller::live().
    ListenerTerminator(PortEngine engine, ProcessSafetyClassifier::Context context,
                       std::shared_ptr<ProcessSignaller> signaller);

    KillOutcome kill(const KillRequest& request) const;            // SIGTERM
    KillOutcome forceKill(const ForceKillRequest& request) const;  // SIGKILL
    StopPoolOutcome stopPool(const StopPoolRequest& request) const;
    // An agent request from a live read of the identity's process; none unless it is still
    // that process, may be signalled and is still detected as an agent of the same kind.
    std::optional<StopAgentRequest> stopAgentRequest(std::string id, AgentKind provider,
                                                     const AgentProcessIdentity& identity) const;
    StopAgentOutcome stopAgent(const StopAgentRequest& request) const;
    StopVisibleOutcome stopVisible(const StopVisibleRequest& request) const;

    const ProcessSafetyClassifier::Context& context() const { return context_; }

private:
    class Target;
    Target hold(const ProcessIdentity& expected, bool includeArgv = false) const;
    StopPoolOutcome signalPoolMembers(const WorkerPoolCollapser::Signals& poolSignals) const;

    PortEngine engine_;
    ProcessSafetyClassifier::Context context_;
    std::shared_ptr<ProcessSignaller> signaller_;
};

}  // namespace quaylight
