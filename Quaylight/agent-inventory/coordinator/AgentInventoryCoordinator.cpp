#include "Quaylight/agent-inventory/coordinator/AgentInventoryCoordinator.h"

#include <set>
#include <utility>

#include "ProcessCoreKit/agents/AgentProcessGraph.h"
#include "ProcessCoreKit/platform/Libproc.h"
#include "ProcessCoreKit/reader/ProcessReader.h"
#include "ProcessCoreKit/recognition/AgentProcessDetector.h"

namespace quaylight {

bool AgentInventoryCoordinator::Dependencies::isLiveProcessCurrent(const ProcessIdentity& identity) {
    // The identity alone, from one read of the stat file: nothing else of the process matters.
    return Libproc::live().identity(identity.pid) == identity;
}

AgentInventoryCoordinator::AgentInventoryCoordinator(Dependencies dependencies)
    : dependencies_(std::move(dependencies)), alive_(std::make_shared<AgentInventoryCoordinator*>(this)) {}

AgentInventoryCoordinator::~AgentInventoryCoordinator() {
    alive_.reset();
    if (expiryTimer_) dependencies_.executor->cancel(*expiryTimer_);
}

AgentInventoryCoordinator::ObserverID AgentInventoryCoordinator::addSnapshotObserver(
    std::function<void(const AgentInventorySnapshot&)> observer) {
    auto id = nextObserver_++;
    observers_.emplace(id, std::move(observer));
    return id;
}

void AgentInventoryCoordinator::removeSnapshotObserver(ObserverID id) { observers_.erase(id); }

// ---- The lane

void AgentInventoryCoordinator::enqueue(std::function<void()> operation, bool runsAfterShutDown) {
    lane_.push_back({laneGeneration_, runsAfterShutDown, std::move(operation)});
    scheduleLaneTurn();
}

void AgentInventoryCoordinator::enqueueUpdate(std::function<void()> update) {
    enqueue([this, update = std::move(update)] {
        update();
        publish();
        finishLaneOperation();
    });
}

// One input per turn of the main thread, so that other work there is not held up by a
// long queue.
void AgentInventoryCoordinator::scheduleLaneTurn() {
    if (laneBusy_ || laneTurnPosted_ || lane_.empty()) return;
    laneTurnPosted_ = true;
    dependencies_.executor->post([weak = std::weak_ptr(alive_)] {
        auto self = weak.lock();
        if (!self) return;
        (*self)->laneTurnPosted_ = false;
        (*self)->laneTurn();
    });
}

void AgentInventoryCoordinator::laneTurn() {
    while (!laneBusy_ && !lane_.empty()) {
        auto item = std::move(lane_.front());
        lane_.pop_front();
        if (item.generation != laneGeneration_ && !item.runsAfterShutDown) continue;  // dropped by shutDown
        laneBusy_ = true;
        item.operation();  // its end schedules the next turn
        return;
    }
}

void AgentInventoryCoordinator::finishLaneOperation() {
    laneBusy_ = false;
    scheduleLaneTurn();
}

// ---- Inputs

void AgentInventoryCoordinator::applyScan(const ScanResult& result) {
    QueuedScan scan{result.agentPresence, {}, result.scannedAt};
    for (const auto& listener : result.listeners)
        if (listener.agentProcess) scan.relatedListeners[*listener.agentProcess].insert(listener.identity);
    auto generation = laneGeneration_;
    enqueue([this, scan = std::move(scan), generation]() mutable { probeAndApplyScan(std::move(scan), generation); });
}

void AgentInventoryCoordinator::probeAndApplyScan(QueuedScan scan, std::int64_t generation) {
    auto runtimes = reducer_.hookRuntimeProbeIdentities();
    std::set<ProcessIdentity> probes(runtimes.begin(), runtimes.end());
    // A host the scan saw runs; the others are looked at here, so that nothing on the main
    // thread reads processes to tell whether a host app still runs.
    std::set<ProcessIdentity> seenHosts;
    for (const auto& entry : scan.presence.entries)
        if (entry.host) seenHosts.insert(entry.host->identity);
    for (const auto& session : snapshot_.sessions)
        if (session.controlSurface && !seenHosts.contains(session.controlSurface->identity))
            probes.insert(session.controlSurface->identity);
    if (probes.empty()) {
        applyProbedScan(scan, {}, generation);
        return;
    }
    auto probe = [probes = std::move(probes), isCurrent = dependencies_.isProcessCurrent,
                  executor = dependencies_.executor, weak = std::weak_ptr(alive_), scan = std::move(scan),
                  generation]() mutable {
        std::map<ProcessIdentity, bool> answers;
        for (const auto& identity : probes) answers[identity] = isCurrent(identity);
        executor->post([weak, scan = std::move(scan), answers = std::move(answers), generation] {
            if (auto self = weak.lock()) (*self)->applyProbedScan(scan, answers, generation);
        });
    };
    if (dependencies_.runInBackground)
        dependencies_.runInBackground(std::move(probe));
    else
        probe();
}

void AgentInventoryCoordinator::applyProbedScan(const QueuedScan& scan, const std::map<ProcessIdentity, bool>& answers,
                                                std::int64_t generation) {
    if (generation == laneGeneration_) {  // else shut down while probing: dropped
        auto runtimeCurrent = [&](const ProcessIdentity& identity) {
            auto answer = answers.find(identity);
            return answer == answers.end() || answer->second;  // not probed: current
        };
        reducer_.applyPanelScan(scan.presence, scan.relatedListeners, runtimeCurrent, scan.scannedAt,
                                dependencies_.now());
        exitedHosts_.clear();
        for (const auto& [identity, current] : answers)
            if (!current) exitedHosts_.insert(identity);
        publish();
    }
    finishLaneOperation();
}

void AgentInventoryCoordinator::applyScanFailure() {
    enqueueUpdate([this] { reducer_.applyScanFailure(dependencies_.now()); });
}

void AgentInventoryCoordinator::applyHookEnvelope(const AgentHookProtocol::Envelope& envelope,
                                                  const HookOrigin& origin, WallTime receivedAt) {
    enqueueUpdate([this, envelope, origin, receivedAt] { reducer_.applyHookEvent(envelope, origin, receivedAt); });
}

void AgentInventoryCoordinator::applyTrackingUpdate(AgentTrackingUpdateFacts facts) {
    enqueueUpdate([this, facts = std::move(facts)] {
        reducer_.applyPresentedTrackingUpdate(facts.counted, facts.finished, facts.currentHosts, facts.observedAt,
                                              dependencies_.now());
    });
}

void AgentInventoryCoordinator::setProviderConnections(std::vector<AgentProviderConnection> connections) {
    enqueueUpdate([this, connections = std::move(connections)] { connections_ = connections; });
}

void AgentInventoryCoordinator::providerDisconnected(AgentKind provider) {
    enqueueUpdate([this, provider] { reducer_.providerDisconnected(provider, dependencies_.now()); });
}

void AgentInventoryCoordinator::setScanContinuityWindow(Microseconds window) {
    enqueue([this, window] {
        reducer_.setScanContinuityWindow(window);
        finishLaneOperation();
    });
}

void AgentInventoryCoordinator::afterQueuedUpdates(std::function<void()> callback) {
    enqueue(
        [this, callback = std::move(callback)] {
            finishLaneOperation();
            callback();
        },
        true);
}

// ---- Publication and expiry

void AgentInventoryCoordinator::publish() {
    snapshot_ = reducer_.snapshot(connections_);
    for (const auto& session : snapshot_.sessions)
        if (session.controlSurface && exitedHosts_.contains(session.controlSurface->identity))
            snapshot_.exitedHosts.insert(session.controlSurface->identity);
    auto observers = observers_;  // an observer may remove itself
    for (const auto& [id, observer] : observers) observer(snapshot_);
    auto edges = reducer_.takePendingCompletionEdges();
    if (!edges.empty() && onCompletionEdges) onCompletionEdges(edges);
    if (onSnapshotPublished) onSnapshotPublished();
    rescheduleExpiry();
}

void AgentInventoryCoordinator::rescheduleExpiry() {
    if (expiryTimer_) dependencies_.executor->cancel(*expiryTimer_);
    expiryTimer_.reset();
    auto generation = ++expiryGeneration_;
    auto deadline = reducer_.nextTransientDeadline();
    if (!deadline) return;
    auto delay = std::max(*deadline - dependencies_.now(), Microseconds::zero());
    expiryTimer_ = dependencies_.executor->postAfter(delay, [weak = std::weak_ptr(alive_), generation] {
        auto self = weak.lock();
        if (!self || (*self)->expiryGeneration_ != generation) return;  // re-armed or shut down since
        (*self)->expiryTimer_.reset();
        (*self)->enqueue([coordinator = *self, generation] { coordinator->clockExpiry(generation); });
    });
}

void AgentInventoryCoordinator::clockExpiry(std::int64_t generation) {
    // A publication since the timer fired has re-armed it for the deadlines it left.
    if (generation == expiryGeneration_) {
        reducer_.expireTransients(dependencies_.now());
        publish();
    }
    finishLaneOperation();
}

void AgentInventoryCoordinator::shutDown() {
    if (expiryTimer_) dependencies_.executor->cancel(*expiryTimer_);
    expiryTimer_.reset();
    ++expiryGeneration_;
    ++laneGeneration_;
}

// ---- Hook origins

AgentInventoryCoordinator::HookOrigin AgentInventoryCoordinator::liveHookOrigin(
    std::int32_t parentPID, const std::optional<std::string>& projectName) {
    const auto uid = ProcessReader::currentUID();
    return liveHookOrigin(
        parentPID, [uid](std::int32_t pid) { return ProcessReader{}.detectionSnapshot(pid, uid); }, projectName,
        CodexDaemonHooks::liveSessions);
}

AgentInventoryCoordinator::HookOrigin AgentInventoryCoordinator::liveHookOrigin(
    std::int32_t parentPID, const SnapshotLookup& readSnapshot, const std::optional<std::string>& projectName,
    const CodexDaemonHooks::SessionsLookup& codexSessions) {
    if (parentPID < 2) return {};
    auto start = readSnapshot(parentPID);
    if (!start) return {};
    std::map<std::int32_t, ProcessSnapshot> chain{{start->identity.pid, *start}};
    auto current = *start;
    for (int hop = 0; hop < ProcessAncestry::maxAncestorHops; ++hop) {
        auto parentPIDOfCurrent = current.parentPID;
        if (!parentPIDOfCurrent || *parentPIDOfCurrent < 2 || chain.contains(*parentPIDOfCurrent)) break;
        auto parent = readSnapshot(*parentPIDOfCurrent);
        if (!parent) break;
        chain[*parentPIDOfCurrent] = *parent;
        current = *parent;
    }
    if (!CodexDaemonHooks::cameThroughDaemon(*start, chain)) return hookOrigin(*start, chain);

    // Whatever runs above the daemon only happened to start it.
    HookOrigin origin;
    if (!AgentProcessDetector::isCodexAppServerDaemon(*start)) origin.runtime = start->identity;
    if (auto session = CodexDaemonHooks::sessionOf(projectName, codexSessions ? codexSessions()
                                                                              : std::vector<CodexDaemonHooks::Session>{})) {
        origin.agentProcess = session->agent;
        origin.host = session->host;
    }
    return origin;
}

AgentInventoryCoordinator::HookOrigin AgentInventoryCoordinator::hookOrigin(
    const ProcessSnapshot& start, const std::map<std::int32_t, ProcessSnapshot>& chain) {
    auto lookup = [&](std::int32_t pid) -> std::optional<ProcessSnapshot> {
        auto it = chain.find(pid);
        return it == chain.end() ? std::nullopt : std::optional(it->second);
    };
    auto facts = ProcessAncestry::resolve(start, std::nullopt, lookup);
    std::vector<ProcessSnapshot> snapshots;
    for (const auto& [pid, snapshot] : chain) snapshots.push_back(snapshot);
    AgentProcessGraph graph(snapshots);

    HookOrigin origin;
    if (const auto& agent = facts.attributingAgentProcess) {
        auto top = graph.topLevelSessionIdentity(*agent);
        origin.agentProcess = AgentProcessIdentity{top.process, agent->kind};
        if (const auto* topSnapshot = graph.snapshot(top.process)) origin.host = graph.nearestHostApp(*topSnapshot);
    } else {
        origin.host = facts.hostApp;
    }
    origin.runtime = start.identity;
    return origin;
}

}  // namespace quaylight
