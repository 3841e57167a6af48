// The reducer's shared rules, hook events, ageing and the snapshot. Scans and tracking
// updates are in the two files beside this one.
#include "Quaylight/agent-inventory/reducer/AgentInventoryReducer.h"

#include "Quaylight/agent-inventory/reducer/HookSessionState.h"

#include <algorithm>
#include <utility>

#include "ProcessCoreKit/recognition/AgentProcessDetector.h"

namespace quaylight {

namespace {

using EventKind = AgentHookProtocol::EventKind;

// The provider a host app decides (the providers' desktop apps), else the detected one.
AgentKind hostDerivedProvider(std::optional<HostAppKind> host, AgentKind detected) {
    return AgentProviderResolver::resolve(detected, host, std::nullopt);
}

std::optional<HostAppKind> kindOf(const std::optional<ProcessAncestryFacts::HostAppOccurrence>& host) {
    return host ? std::optional(host->kind) : std::nullopt;
}

std::optional<AgentHostDescriptor> descriptor(const std::optional<ProcessAncestryFacts::HostAppOccurrence>& host) {
    if (!host) return std::nullopt;
    return AgentHostDescriptor{host->kind, std::string(displayName(host->kind)), host->identity};
}

WallTime processStart(const AgentProcessIdentity& id) {
    return WallTime(std::chrono::seconds(static_cast<std::int64_t>(id.process.startTimeSeconds)));
}

}  // namespace

Microseconds AgentInventoryReducer::scanContinuityWindow(Microseconds scanInterval) {
    return std::max(minimumScanContinuityWindow, 2 * scanInterval);
}

void AgentInventoryReducer::setScanContinuityWindow(Microseconds window) {
    scanContinuityWindow_ = std::max(minimumScanContinuityWindow, window);
}

// ---- Provider presentation

std::optional<AgentKind> AgentInventoryReducer::evidenceProvider(const AgentProcessIdentity& id) const {
    auto it = providerPresentationEvidence_.find(id);
    return it == providerPresentationEvidence_.end() ? std::nullopt : std::optional(it->second.provider);
}

std::optional<HostAppKind> AgentInventoryReducer::evidenceHostKind(const AgentProcessIdentity& id) const {
    auto it = providerPresentationEvidence_.find(id);
    return it == providerPresentationEvidence_.end() ? std::nullopt : it->second.hostKind;
}

std::optional<AgentKind> AgentInventoryReducer::knownProvider(const AgentProcessIdentity& id) const {
    if (auto provider = evidenceProvider(id)) return provider;
    auto it = processRecords_.find(id);
    return it == processRecords_.end() ? std::nullopt : std::optional(it->second.provider);
}

void AgentInventoryReducer::keepHostMatching(std::optional<HostAppOccurrence>& host,
                                             std::optional<HostAppKind> evidenceHost) {
    if (host && evidenceHost && host->kind != *evidenceHost) host.reset();
}

AgentKind AgentInventoryReducer::reconcileProviderPresentation(const AgentProcessIdentity& id,
                                                               std::optional<HostAppKind> host,
                                                               std::optional<AgentKind> fallback, WallTime observedAt) {
    auto derived = hostDerivedProvider(host, id.kind);
    auto it = providerPresentationEvidence_.find(id);
    if (it == providerPresentationEvidence_.end()) {
        auto provider = host ? derived : fallback.value_or(id.kind);
        providerPresentationEvidence_[id] = {provider, observedAt, host.has_value(), host};
        return provider;
    }
    auto& evidence = it->second;
    if (!host) return evidence.provider;
    // An older host observation never overrides a newer one.
    if (evidence.isAuthoritative && observedAt < evidence.observedAt) return evidence.provider;
    evidence = {derived, observedAt, true, host};
    return derived;
}

void AgentInventoryReducer::refreshMappedHookPresentation(const AgentProcessIdentity& id, AgentKind provider) {
    auto evidenceHost = evidenceHostKind(id);
    for (auto& [key, record] : hookRecords_) {
        if (record.agentProcess != id) continue;
        record.presentedProvider = provider;
        keepHostMatching(record.host, evidenceHost);
    }
}

void AgentInventoryReducer::refreshMappedHookPresentation() {
    for (const auto& [id, record] : processRecords_) refreshMappedHookPresentation(id, record.provider);
}

AgentInventoryReducer::PresentedProviders AgentInventoryReducer::presentedProviderEvidence() const {
    PresentedProviders providers;
    for (const auto& [id, evidence] : providerPresentationEvidence_) providers.emplace(id, evidence.provider);
    for (const auto& [id, record] : processRecords_) providers.emplace(id, record.provider);
    for (const auto& [key, record] : hookRecords_)
        if (record.agentProcess) providers.emplace(*record.agentProcess, record.presentedProvider);
    return providers;
}

std::vector<ProcessIdentity> AgentInventoryReducer::hookRuntimeProbeIdentities() const {
    std::vector<ProcessIdentity> runtimes;
    for (const auto& [key, record] : hookRecords_)
        if (record.runtime && !record.agentProcess) runtimes.push_back(*record.runtime);
    return runtimes;
}

// ---- Hook sessions

void AgentInventoryReducer::storeHook(const HookKey& key, HookRecord record) {
    auto [it, inserted] = hookRecords_.try_emplace(key);
    if (!inserted) {
        noteHookChanged(key, it->second);
        removeDeadlines(hookDeadlines(it->second));
        if (it->second.agentProcess && it->second.agentProcess != record.agentProcess) {
            auto mapped = hooksByProcess_.find(*it->second.agentProcess);
            mapped->second.erase(key);
            if (mapped->second.empty()) hooksByProcess_.erase(mapped);
        }
    }
    if (record.agentProcess) hooksByProcess_[*record.agentProcess].insert(key);
    addDeadlines(hookDeadlines(record));
    noteHookChanged(key, record);
    it->second = std::move(record);
}

std::map<AgentInventoryReducer::HookKey, AgentInventoryReducer::HookRecord>::iterator AgentInventoryReducer::eraseHook(
    std::map<HookKey, HookRecord>::iterator it) {
    const auto& [key, record] = *it;
    noteHookChanged(key, record);
    removeDeadlines(hookDeadlines(record));
    if (record.agentProcess) {
        auto mapped = hooksByProcess_.find(*record.agentProcess);
        mapped->second.erase(key);
        if (mapped->second.empty()) hooksByProcess_.erase(mapped);
    }
    return hookRecords_.erase(it);
}

int AgentInventoryReducer::mappedSessionCount(const AgentProcessIdentity& id) const {
    auto mapped = hooksByProcess_.find(id);
    return mapped == hooksByProcess_.end() ? 0 : static_cast<int>(mapped->second.size());
}

bool AgentInventoryReducer::hasHookMappedTo(const AgentProcessIdentity& id) const { return hooksByProcess_.contains(id); }

bool AgentInventoryReducer::hookEligibility(const HookRecord& record) const {
    if (record.wasAmbientEligible || isAmbient(record.state)) return true;
    return record.state == AgentSessionState::detected && record.agentProcess &&
           trackedActivity_.contains(*record.agentProcess);
}

AgentSessionState AgentInventoryReducer::effectiveHookState(const HookRecord& record) const {
    // The tracker refines only what the hooks left open: attention and work reported by the
    // agent itself stand.
    bool refinable = record.state == AgentSessionState::waiting || record.state == AgentSessionState::detected;
    if (!refinable || !record.agentProcess) return record.state;
    auto it = trackedActivity_.find(*record.agentProcess);
    if (it == trackedActivity_.end()) return record.state;
    return it->second ? AgentSessionState::working : AgentSessionState::waiting;
}

void AgentInventoryReducer::endHookSession(const HookKey& key, WallTime at, bool mayFinish) {
    auto it = hookRecords_.find(key);
    if (it == hookRecords_.end()) return;
    std::optional<AgentSessionSnapshot> finished;
    if (mayFinish && hookEligibility(it->second)) finished = hookSessionSnapshot(it->second);
    eraseHook(it);
    terminatedGenerations_[key] = at;
    if (finished) appendFinished(std::move(*finished), at);
}

void AgentInventoryReducer::applyHookEvent(const AgentHookProtocol::Envelope& envelope, const HookOrigin& origin,
                                           WallTime at) {
    if (envelope.event == EventKind::connectionTest) return;
    expireTransients(at);
    noteInputTime(at);

    const HookKey key{envelope.provider, envelope.sessionID};
    if (isLateEventOfEndedSession(key, envelope.event)) return;
    const auto agent = originAgentFor(origin, envelope.provider);
    if (agent) liftProcessFallbackSuppression(*agent, envelope.provider, at);

    const auto existing = hookRecords_.find(key);
    const HookRecord* previous = existing != hookRecords_.end() ? &existing->second : nullptr;
    const AgentKind presented = presentedHookProvider(envelope.provider, agent, origin, previous, at);
    HookRecord record = previous ? *previous : newHookRecord(envelope, origin, agent, at);
    record.presentedProvider = presented;
    record.lastEventAt = at;
    record.staleEvidence = false;
    takeOriginEvidence(record, agent, origin, presented, at);
    if (envelope.projectName) record.projectName = envelope.projectName;

    if (envelope.event == EventKind::sessionEnded) return endHookSessionByEvent(key, std::move(record), at);
    auto next = hookSessionStateAfter({record.state, record.stateDetail}, envelope.event);
    record.state = next.state;
    record.stateDetail = std::move(next.detail);
    if (hookEligibility(record)) record.wasAmbientEligible = true;
    storeHook(key, std::move(record));
}

bool AgentInventoryReducer::isLateEventOfEndedSession(const HookKey& key, EventKind event) {
    auto mark = terminatedGenerations_.find(key);
    if (mark == terminatedGenerations_.end()) return false;
    if (event != EventKind::sessionStart) return true;
    terminatedGenerations_.erase(mark);  // a new session under the same identifier
    return false;
}

std::optional<AgentProcessIdentity> AgentInventoryReducer::originAgentFor(const HookOrigin& origin,
                                                                          AgentKind provider) const {
    // The origin's agent process counts only when it can be this provider's.
    const auto& candidate = origin.agentProcess;
    if (!candidate) return std::nullopt;
    auto resolved = hostDerivedProvider(kindOf(origin.host), candidate->kind);
    if (candidate->kind == provider || resolved == provider || knownProvider(*candidate) == provider) return candidate;
    return std::nullopt;
}

void AgentInventoryReducer::liftProcessFallbackSuppression(const AgentProcessIdentity& agent, AgentKind provider,
                                                           WallTime at) {
    auto s = suppressedProcessFallbacks_.find(agent);
    if (s == suppressedProcessFallbacks_.end()) return;
    s->second.sourceProviders.erase(provider);
    s->second.changedAt = at;
    if (s->second.sourceProviders.empty()) suppressedProcessFallbacks_.erase(s);
}

AgentKind AgentInventoryReducer::presentedHookProvider(AgentKind provider, const std::optional<AgentProcessIdentity>& agent,
                                                       const HookOrigin& origin, const HookRecord* previous, WallTime at) {
    if (!agent) {
        if (origin.host) return hostDerivedProvider(origin.host->kind, provider);
        return previous ? previous->presentedProvider : provider;
    }
    auto fallback = knownProvider(*agent);
    if (!fallback && previous) fallback = previous->presentedProvider;
    return reconcileProviderPresentation(*agent, kindOf(origin.host), fallback, at);
}

AgentInventoryReducer::HookRecord AgentInventoryReducer::newHookRecord(const AgentHookProtocol::Envelope& envelope,
                                                                       const HookOrigin& origin,
                                                                       const std::optional<AgentProcessIdentity>& agent,
                                                                       WallTime at) {
    HookRecord record;
    record.provider = envelope.provider;
    record.sessionID = envelope.sessionID;
    record.host = origin.host;
    record.projectName = envelope.projectName;
    record.agentProcess = agent;
    record.runtime = origin.runtime;
    record.firstEventAt = at;
    return record;
}

void AgentInventoryReducer::takeOriginEvidence(HookRecord& record, const std::optional<AgentProcessIdentity>& agent,
                                               const HookOrigin& origin, AgentKind presented, WallTime at) {
    if (!agent) {
        if (origin.host) record.host = origin.host;
    } else {
        // The host the agent's own evidence names wins over the origin's.
        auto evidenceHost = evidenceHostKind(*agent);
        if (origin.host && (!evidenceHost || *evidenceHost == origin.host->kind))
            record.host = origin.host;
        else
            keepHostMatching(record.host, evidenceHost);
        if (auto p = processRecords_.find(*agent); p != processRecords_.end()) {
            auto& process = p->second;
            process.lastSeenAt = std::max(process.lastSeenAt, at);
            process.provider = presented;
            process.presence.provider = presented;
            keepHostMatching(process.presence.host, evidenceHost);
        }
        record.agentProcess = agent;
    }
    if (origin.runtime) record.runtime = origin.runtime;
}

void AgentInventoryReducer::endHookSessionByEvent(const HookKey& key, HookRecord record, WallTime at) {
    const auto endedAgent = record.agentProcess;
    const AgentKind provider = record.provider;
    storeHook(key, std::move(record));
    endHookSession(key, at, true);
    if (!endedAgent) return;
    // The ended agent's process must not come back as a session of its own for this provider.
    auto& suppression =
        suppressedProcessFallbacks_.try_emplace(*endedAgent, ProcessFallbackSuppression{{}, at}).first->second;
    suppression.sourceProviders.insert(provider);
    suppression.changedAt = at;
}

// ---- Finishing

void AgentInventoryReducer::appendFinished(AgentSessionSnapshot session, WallTime at) {
    session.state = AgentSessionState::recentlyFinished;
    session.stateDetail.reset();
    session.lastEventAt = at;
    pendingCompletionEdges_.push_back({session.id, session.provider, at});
    // One row per key: a session cannot finish twice at the same instant. (The key holds the
    // end time, so only rows that ended at `at` need their key made.)
    const auto rowKey = session.rowKey();
    for (auto it = finishedRecords_.begin(); it != finishedRecords_.end();) {
        if (it->session->lastEventAt == at && it->session->rowKey() == rowKey) {
            removeDeadlines({it->expiresAt});
            published_.erase(it->slot);
            it = finishedRecords_.erase(it);
        } else {
            ++it;
        }
    }
    RowSlot slot{session.id.stableID(), 2, ++finishedSequence_, std::nullopt, std::nullopt};
    auto shared = std::make_shared<const AgentSessionSnapshot>(std::move(session));
    if (!republishAll_) published_.emplace(slot, shared);
    addDeadlines({at + finishedWindow});
    finishedRecords_.push_back({std::move(shared), at + finishedWindow, std::move(slot)});
}

void AgentInventoryReducer::finishProcessSession(const ProcessRecord& record, const AgentProcessIdentity& id,
                                                 WallTime at) {
    appendFinished(processSessionSnapshot(record, id), at);
}

std::vector<AgentCompletionEdge> AgentInventoryReducer::takePendingCompletionEdges() {
    return std::exchange(pendingCompletionEdges_, {});
}

// ---- Ageing

void AgentInventoryReducer::expireTransients(WallTime now) {
    // Nothing runs out before the earliest deadline: the common case costs nothing.
    if (deadlines_.empty() || *deadlines_.begin() > now) return;
    for (auto it = finishedRecords_.begin(); it != finishedRecords_.end();) {
        if (it->expiresAt > now) {
            ++it;
            continue;
        }
        removeDeadlines({it->expiresAt});
        published_.erase(it->slot);
        it = finishedRecords_.erase(it);
    }
    for (auto it = hookRecords_.begin(); it != hookRecords_.end();) {
        auto& record = it->second;
        auto age = now - record.lastEventAt;
        if (!record.agentProcess && age >= orphanWindow) {
            it = eraseHook(it);
            continue;
        }
        if (!record.staleEvidence && isAmbient(record.state) && age >= staleWindow) {
            auto stale = record;
            stale.state = AgentSessionState::detected;
            stale.stateDetail = std::string(staleDetail);
            stale.staleEvidence = true;
            storeHook(it->first, std::move(stale));
        }
        ++it;
    }
}

std::vector<WallTime> AgentInventoryReducer::hookDeadlines(const HookRecord& record) {
    std::vector<WallTime> deadlines;
    if (!record.staleEvidence && isAmbient(record.state)) deadlines.push_back(record.lastEventAt + staleWindow);
    if (!record.agentProcess) deadlines.push_back(record.lastEventAt + orphanWindow);
    return deadlines;
}

void AgentInventoryReducer::addDeadlines(const std::vector<WallTime>& deadlines) {
    deadlines_.insert(deadlines.begin(), deadlines.end());
}

void AgentInventoryReducer::removeDeadlines(const std::vector<WallTime>& deadlines) {
    for (const auto deadline : deadlines)
        if (auto found = deadlines_.find(deadline); found != deadlines_.end()) deadlines_.erase(found);
}

std::optional<WallTime> AgentInventoryReducer::nextTransientDeadline() const {
    if (deadlines_.empty()) return std::nullopt;
    return *deadlines_.begin();
}

void AgentInventoryReducer::applyScanFailure(WallTime at) {
    expireTransients(at);
    scanIsStale_ = true;
    noteInputTime(at);
}

// ---- Snapshot

AgentSessionSnapshot AgentInventoryReducer::processSessionSnapshot(const ProcessRecord& record,
                                                                   const AgentProcessIdentity& id) const {
    AgentSessionSnapshot session;
    session.id = AgentSessionID::process(id);
    session.provider = record.provider;
    auto activity = trackedActivity_.find(id);
    session.state = activity == trackedActivity_.end() ? AgentSessionState::detected
                    : activity->second                 ? AgentSessionState::working
                                                       : AgentSessionState::waiting;
    session.controlSurface = descriptor(record.presence.host);
    session.executionLocation = AgentExecutionLocation::local();
    session.projectName = record.presence.projectName;
    session.startedAt = processStart(id);
    session.lastEventAt = record.lastSeenAt;
    session.processIdentity = id;
    session.relatedListenerIDs = record.relatedListenerIDs;
    session.portRelationship = !record.scanObserved                 ? PortRelationshipConfidence::unavailable
                               : record.relatedListenerIDs.empty() ? PortRelationshipConfidence::noneObserved
                                                                    : PortRelationshipConfidence::exact;
    session.evidence = AgentEvidence::process;
    return session;
}

AgentSessionSnapshot AgentInventoryReducer::hookSessionSnapshot(const HookRecord& record) const {
    const ProcessRecord* mapped = nullptr;
    if (record.agentProcess)
        if (auto it = processRecords_.find(*record.agentProcess); it != processRecords_.end()) mapped = &it->second;

    AgentSessionSnapshot session;
    session.id = AgentSessionID::provider(record.provider, record.sessionID);
    session.provider = record.presentedProvider;
    session.state = effectiveHookState(record);
    session.stateDetail = record.stateDetail;
    session.controlSurface = descriptor(record.host ? record.host : mapped ? mapped->presence.host : std::nullopt);
    session.executionLocation =
        record.agentProcess ? AgentExecutionLocation::local() : AgentExecutionLocation::unknown();
    session.projectName = record.projectName       ? record.projectName
                          : mapped ? mapped->presence.projectName
                                   : std::nullopt;
    session.startedAt = record.agentProcess ? processStart(*record.agentProcess) : record.firstEventAt;
    session.lastEventAt = record.lastEventAt;
    session.processIdentity = record.agentProcess;
    // A process's sockets belong to a hook session only when it is the process's one
    // session, and only once a scan has looked at them.
    auto count = record.agentProcess ? mappedSessionCount(*record.agentProcess) : 0;
    if (mapped && count <= 1 && mapped->scanObserved) {
        session.relatedListenerIDs = mapped->relatedListenerIDs;
        session.portRelationship = mapped->relatedListenerIDs.empty() ? PortRelationshipConfidence::noneObserved
                                                                      : PortRelationshipConfidence::exact;
    } else {
        session.portRelationship = PortRelationshipConfidence::unavailable;
    }
    session.evidence = record.agentProcess ? AgentEvidence::processAndProviderHook : AgentEvidence::providerHook;
    return session;
}

// ---- Published rows

bool AgentInventoryReducer::RowSlot::operator<(const RowSlot& other) const {
    if (stableID != other.stableID) return stableID < other.stableID;
    if (group != other.group) return group < other.group;
    if (sequence != other.sequence) return sequence < other.sequence;
    if (process != other.process) return !process || (other.process && agentOrderLess(*process, *other.process));
    return hook < other.hook;
}

AgentInventoryReducer::RowSlot AgentInventoryReducer::processSlot(const AgentProcessIdentity& id) {
    return {AgentSessionID::process(id).stableID(), 0, 0, id, std::nullopt};
}

AgentInventoryReducer::RowSlot AgentInventoryReducer::hookSlot(const HookKey& key) {
    return {AgentSessionID::provider(key.provider, key.sessionID).stableID(), 1, 0, std::nullopt, key};
}

void AgentInventoryReducer::noteHookChanged(const HookKey& key, const HookRecord& record) {
    changedHooks_.insert(key);
    // The process's own row shows only without hook sessions, and its hook sessions share
    // its sockets only while there is one of them.
    if (record.agentProcess) changedProcesses_.insert(*record.agentProcess);
}

void AgentInventoryReducer::refreshPublished() const {
    auto processRow = [&](const AgentProcessIdentity& id) {
        auto record = processRecords_.find(id);
        if (record == processRecords_.end() || hasHookMappedTo(id) || suppressedProcessFallbacks_.contains(id)) return;
        published_.emplace(processSlot(id), std::make_shared<const AgentSessionSnapshot>(
                                                processSessionSnapshot(record->second, id)));
    };
    auto hookRow = [&](const HookKey& key) {
        auto record = hookRecords_.find(key);
        if (record == hookRecords_.end()) return;
        published_.emplace(hookSlot(key), std::make_shared<const AgentSessionSnapshot>(hookSessionSnapshot(record->second)));
    };
    if (republishAll_) {
        published_.clear();
        for (const auto& [id, record] : processRecords_) processRow(id);
        for (const auto& [key, record] : hookRecords_) hookRow(key);
        for (const auto& finished : finishedRecords_) published_.emplace(finished.slot, finished.session);
    } else {
        for (const auto& id : changedProcesses_) {
            published_.erase(processSlot(id));
            processRow(id);
            if (auto mapped = hooksByProcess_.find(id); mapped != hooksByProcess_.end())
                changedHooks_.insert(mapped->second.begin(), mapped->second.end());
        }
        for (const auto& key : changedHooks_) {
            published_.erase(hookSlot(key));
            hookRow(key);
        }
    }
    republishAll_ = false;
    changedHooks_.clear();
    changedProcesses_.clear();
}

AgentInventorySnapshot AgentInventoryReducer::snapshot(const std::vector<AgentProviderConnection>& connections) const {
    refreshPublished();
    std::vector<AgentSessionList::Shared> sessions;
    sessions.reserve(published_.size());
    for (const auto& [slot, session] : published_) sessions.push_back(session);
    return {AgentSessionList::sharing(std::move(sessions)), connections, capturedAt_,
            scanIsStale_ ? InventoryFreshness::stale(lastSuccessfulScanAt_) : InventoryFreshness::live()};
}

}  // namespace quaylight
