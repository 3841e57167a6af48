#include "QuaylightKit/terminator/ListenerTerminator.h"

#include <signal.h>

#include <cerrno>
#include <cstring>

#include "ProcessCoreKit/recognition/AgentProcessDetector.h"

namespace quaylight {
namespace {

constexpr std::string_view kNonPositivePIDDetail = "refused to signal a non-positive PID";

std::string errorText(int error) {
    char buffer[256];
    return ::strerror_r(error, buffer, sizeof buffer);  // the GNU form: returns the text
}

std::string_view signalName(int signal) { return signal == SIGKILL ? "SIGKILL" : "SIGTERM"; }

// Where a target of a stop-visible request went.
enum class Verdict { stopped, alreadyExited, skipped, failed };

Verdict verdict(const KillOutcome& outcome) {
    using K = KillOutcome::Kind;
    switch (outcome.kind) {
        case K::signaled:
        case K::signaledForce: return Verdict::stopped;
        case K::alreadyExited: return Verdict::alreadyExited;
        case K::blocked:
        case K::identityChanged: return Verdict::skipped;
        case K::signalFailed: return Verdict::failed;
    }
    return Verdict::failed;
}

Verdict verdict(const StopPoolOutcome& outcome) {
    using K = StopPoolOutcome::Kind;
    switch (outcome.kind) {
        case K::signaledMembers:
        case K::signaledSupervisor: return Verdict::stopped;
        case K::alreadyExited: return Verdict::alreadyExited;
        case K::blocked:
        case K::identityChanged:
        case K::noActionableTarget: return Verdict::skipped;
        case K::signalFailed: return Verdict::failed;
    }
    return Verdict::failed;
}

}  // namespace

// A process held for signalling (its handle opened first), with the verdict of the live
// check made while the handle was held.
class ListenerTerminator::Target {
public:
    enum class State { nonPositivePID, openFailed, exited, changed, protectedProcess, actionable };

    State state = State::exited;
    int openError = 0;
    std::optional<ProtectionReason> reason;
    std::optional<ProcessSnapshot> live;
    std::unique_ptr<ProcessSignaller::Handle> handle;

    // The outcome of the check and, for an actionable process, of sending `signal`.
    KillOutcome signal(int signal) {
        const std::string name(signalName(signal));
        switch (state) {
            case State::nonPositivePID: return KillOutcome::signalFailed(name, std::string(kNonPositivePIDDetail));
            case State::openFailed: return KillOutcome::signalFailed(name, errorText(openError));
            case State::exited: return KillOutcome::alreadyExited();
            case State::changed: return KillOutcome::identityChanged();
            case State::protectedProcess: return KillOutcome::blocked(*reason);
            case State::actionable: break;
        }
        switch (const int error = handle->send(signal)) {
            case 0: return signal == SIGKILL ? KillOutcome::signaledForce() : KillOutcome::signaled();
            case EPERM: return KillOutcome::blocked(ProtectionReason::unconfirmedOwner);
            case ESRCH: return KillOutcome::alreadyExited();
            default: return KillOutcome::signalFailed(name, errorText(error));
        }
    }
};

ListenerTerminator::ListenerTerminator(PortEngine engine, ProcessSafetyClassifier::Context context,
                                       std::shared_ptr<ProcessSignaller> signaller)
    : engine_(std::move(engine)), context_(context), signaller_(std::move(signaller)) {}

ListenerTerminator::Target ListenerTerminator::hold(const ProcessIdentity& expected, bool includeArgv) const {
    using State = Target::State;
    Target target;
    if (expected.pid < 1) {  // never handed to a system call
        target.state = State::nonPositivePID;
        return target;
    }
    auto opened = signaller_->open(expected.pid);
    if (!opened.handle) {
        target.state = opened.error == ESRCH ? State::exited : State::openFailed;
        target.openError = opened.error;
        return target;
    }
    target.handle = std::move(opened.handle);
    auto live = engine_.resolveLiveProcess(expected.pid, includeArgv);
    if (!live) {
        target.state = State::exited;
        return target;
    }
    if (live->snapshot.identity != expected) {
        target.state = State::changed;
        return target;
    }
    const bool inSubtree = engine_.isInProcessSubtree(live->snapshot, context_.selfPID);
    auto safety = ProcessSafetyClassifier::classify(live->snapshot, live->appleSystemBinary, inSubtree, context_);
    target.live = std::move(live->snapshot);
    if (!safety.isActionable()) {
        target.state = State::protectedProcess;
        target.reason = safety.protection;
        return target;
    }
    target.state = State::actionable;
    return target;
}

KillOutcome ListenerTerminator::kill(const KillRequest& request) const { return hold(request.target).signal(SIGTERM); }

KillOutcome ListenerTerminator::forceKill(const ForceKillRequest& request) const {
    return hold(request.target).signal(SIGKILL);
}

StopPoolOutcome ListenerTerminator::stopPool(const StopPoolRequest& request) const {
    auto supervisor = hold(request.supervisor);
    if (supervisor.state == Target::State::protectedProcess) {
        // A shell or host app that forked the workers stays untouched; its reason is not
        // what the user asked about.
        supervisor.handle.reset();
        return signalPoolMembers(request.poolSignals);
    }
    const auto outcome = supervisor.signal(SIGTERM);
    using K = KillOutcome::Kind;
    switch (outcome.kind) {
        case K::signaled:
        case K::signaledForce: return StopPoolOutcome::signaledSupervisor();
        case K::blocked: return StopPoolOutcome::blocked(*outcome.reason);
        case K::signalFailed: return StopPoolOutcome::signalFailed(outcome.detail);
        case K::alreadyExited: return StopPoolOutcome::alreadyExited();
        case K::identityChanged: return StopPoolOutcome::identityChanged();
    }
    return StopPoolOutcome::noActionableTarget();
}

StopPoolOutcome ListenerTerminator::signalPoolMembers(const WorkerPoolCollapser::Signals& signals) const {
    std::int64_t count = 0;
    // Best effort: a worker that is gone, changed or protected by now is passed over.
    for (const auto& member : engine_.poolMemberIdentities(signals)) {
        auto worker = hold(member);
        if (worker.state == Target::State::actionable && worker.handle->send(SIGTERM) == 0) ++count;
    }
    return count >= 1 ? StopPoolOutcome::signaledMembers(count) : StopPoolOutcome::noActionableTarget();
}

std::optional<StopAgentRequest> ListenerTerminator::stopAgentRequest(std::string id, AgentKind provider,
                                                                     const AgentProcessIdentity& identity) const {
    auto live = engine_.resolveLiveProcess(identity.process.pid, true);
    if (!live) return std::nullopt;
    const bool inSubtree = engine_.isInProcessSubtree(live->snapshot, context_.selfPID);
    return StopAgentRequest::request(std::move(id), provider, identity, live->snapshot, live->appleSystemBinary,
                                     inSubtree, context_);
}

StopAgentOutcome ListenerTerminator::stopAgent(const StopAgentRequest& request) const {
    // The agent rules need the argument vector (node running codex, the native Claude install).
    auto agent = hold(request.target.process, true);
    if (agent.state == Target::State::actionable && AgentProcessDetector::detect(*agent.live) != request.target.kind)
        return StopAgentOutcome::noLongerAgent();
    const auto outcome = agent.signal(SIGTERM);
    using K = KillOutcome::Kind;
    switch (outcome.kind) {
        case K::signaled:
        case K::signaledForce: return StopAgentOutcome::signaled();
        case K::blocked: return StopAgentOutcome::blocked(*outcome.reason);
        case K::signalFailed: return StopAgentOutcome::signalFailed(outcome.detail);
        case K::alreadyExited: return StopAgentOutcome::alreadyExited();
        case K::identityChanged: return StopAgentOutcome::identityChanged();
    }
    return StopAgentOutcome::noLongerAgent();
}

StopVisibleOutcome ListenerTerminator::stopVisible(const StopVisibleRequest& request) const {
    StopVisibleOutcome outcome;
    // Strictly in order, each target verified on its own; a pool counts once.
    for (const auto& target : request.targets) {
        const Verdict v = std::visit(
            [this](const auto& r) {
                if constexpr (std::is_same_v<std::decay_t<decltype(r)>, KillRequest>)
                    return verdict(kill(r));
                else
                    return verdict(stopPool(r));
            },
            target);
        switch (v) {
            case Verdict::stopped: ++outcome.stoppedCount; break;
            case Verdict::alreadyExited: ++outcome.alreadyExitedCount; break;
            case Verdict::skipped: ++outcome.skippedCount; break;
            case Verdict::failed: ++outcome.failedCount; break;
        }
    }
    return outcome;
}

}  // namespace quaylight
