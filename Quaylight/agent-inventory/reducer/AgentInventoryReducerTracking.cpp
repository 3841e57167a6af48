// The activity tracker's facts (which agent processes run, which work, which finished)
// and the removal of a provider's hooks.
#include "Quaylight/agent-inventory/reducer/AgentInventoryReducer.h"

namespace quaylight {

void AgentInventoryReducer::applyPresentedTrackingUpdate(
    const std::vector<AgentTrackingUpdateFacts::Counted>& counted,
    const std::vector<AgentTrackingUpdateFacts::Finished>& finished,
    const std::unordered_map<AgentProcessIdentity, HostAppKind>& currentHosts, std::optional<WallTime> observedAt,
    WallTime at) {
    const WallTime observationTime = observedAt.value_or(at);
    expireTransients(at);
    republishAll();  // activity refines the state of every session of a tracked process
    noteInputTime(observationTime);
    for (const auto& [id, provider, isActive] : counted) {
        auto host = currentHosts.find(id);
        applyCountedRun(id, provider, isActive,
                        host == currentHosts.end() ? std::nullopt : std::optional(host->second), observationTime);
    }
    for (const auto& [id, reportedProvider] : finished) applyFinishedRun(id, reportedProvider, observationTime, at);
}

void AgentInventoryReducer::applyCountedRun(const AgentProcessIdentity& id, AgentKind provider, bool isActive,
                                            std::optional<HostAppKind> currentHost, WallTime observationTime) {
    std::optional<AgentKind> fallback = provider != id.kind ? std::optional(provider) : knownProvider(id);
    auto presented = reconcileProviderPresentation(id, currentHost, fallback, observationTime);
    auto evidenceHost = evidenceHostKind(id);

    auto existing = processRecords_.find(id);
    if (existing != processRecords_.end() && existing->second.lastSeenAt > observationTime) {
        // A later scan already refreshed it: only the provider evidence counts.
        auto& record = existing->second;
        record.provider = presented;
        record.presence.provider = presented;
        keepHostMatching(record.presence.host, evidenceHost);
        refreshMappedHookPresentation(id, presented);
        return;
    }

    trackedActivity_[id] = isActive;
    const bool suppressed = suppressedProcessFallbacks_.contains(id);
    if (existing == processRecords_.end()) {
        ProcessRecord record;
        record.presence = AgentProcessPresence(id, presented, std::nullopt, std::nullopt, observationTime);
        record.provider = presented;
        record.lastSeenAt = observationTime;
        record.scanObserved = false;
        record.wasAmbientEligible = !suppressed;
        processRecords_[id] = std::move(record);
    } else {
        auto& record = existing->second;
        record.provider = presented;
        record.presence.provider = presented;
        keepHostMatching(record.presence.host, evidenceHost);
        record.lastSeenAt = observationTime;
        if (!suppressed) record.wasAmbientEligible = true;
    }
    refreshMappedHookPresentation(id, presented);
    for (auto& [key, hook] : hookRecords_)
        if (hook.agentProcess == id) hook.wasAmbientEligible = true;
}

bool AgentInventoryReducer::hasNewsAfter(const AgentProcessIdentity& id, WallTime observationTime) const {
    auto existing = processRecords_.find(id);
    if (existing != processRecords_.end() && existing->second.lastSeenAt > observationTime) return true;
    for (const auto& [key, hook] : hookRecords_)
        if (hook.agentProcess == id && hook.lastEventAt > observationTime) return true;
    auto s = suppressedProcessFallbacks_.find(id);
    return s != suppressedProcessFallbacks_.end() && s->second.changedAt > observationTime;
}

void AgentInventoryReducer::applyFinishedRun(const AgentProcessIdentity& id, AgentKind reportedProvider,
                                             WallTime observationTime, WallTime at) {
    // A fact older than the latest news of the process changes nothing.
    if (hasNewsAfter(id, observationTime)) return;

    trackedActivity_.erase(id);
    const bool wasSuppressed = suppressedProcessFallbacks_.erase(id) > 0;
    AgentKind provider = reportedProvider;
    if (reportedProvider == id.kind) provider = knownProvider(id).value_or(reportedProvider);

    if (auto existing = processRecords_.find(id); existing != processRecords_.end()) {
        auto& record = existing->second;
        if (!wasSuppressed && !hasHookMappedTo(id) && record.wasAmbientEligible) {
            auto shown = evidenceProvider(id).value_or(provider);
            record.provider = shown;
            record.presence.provider = shown;
            keepHostMatching(record.presence.host, evidenceHostKind(id));
            finishProcessSession(record, id, at);
        }
        processRecords_.erase(existing);
    }
    providerPresentationEvidence_.erase(id);
    refreshMappedHookPresentation(id, provider);

    std::vector<HookKey> ending;
    for (const auto& [key, hook] : hookRecords_)
        if (hook.agentProcess == id && hook.lastEventAt <= observationTime) ending.push_back(key);
    for (const auto& key : ending) endHookSession(key, at, true);
}

void AgentInventoryReducer::providerDisconnected(AgentKind provider, WallTime at) {
    expireTransients(at);
    for (auto it = hookRecords_.begin(); it != hookRecords_.end();)
        it = it->first.provider == provider ? eraseHook(it) : std::next(it);
    republishAll();  // lifted suppressions show process sessions again
    for (auto it = suppressedProcessFallbacks_.begin(); it != suppressedProcessFallbacks_.end();) {
        it->second.sourceProviders.erase(provider);
        it = it->second.sourceProviders.empty() ? suppressedProcessFallbacks_.erase(it) : std::next(it);
    }
    noteInputTime(at);
}

}  // namespace quaylight
