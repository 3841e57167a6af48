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
    noteInputTime(observationTime);

    for (const auto& [id, provider, isActive] : counted) {
        std::optional<AgentKind> fallback = provider != id.kind ? std::optional(provider) : knownProvider(id);
        auto host = currentHosts.find(id);
        auto presented = reconcileProviderPresentation(
            id, host == currentHosts.end() ? std::nullopt : std::optional(host->second), fallback, observationTime);
        auto evidenceHost = evidenceHostKind(id);

        auto existing = processRecords_.find(id);
        if (existing != processRecords_.end() && existing->second.lastSeenAt > observationTime) {
            // A later scan already refreshed it: only the provider evidence counts.
            auto& record = existing->second;
            record.provider = presented;
            record.presence.provider = presented;
            keepHostMatching(record.presence.host, evidenceHost);
            refreshMappedHookPresentation(id, presented);
            continue;
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

    for (const auto& [id, reportedProvider] : finished) {
        // A fact older than the latest news of the process changes nothing.
        auto existing = processRecords_.find(id);
        bool refreshedLater = existing != processRecords_.end() && existing->second.lastSeenAt > observationTime;
        for (const auto& [key, hook] : hookRecords_)
            refreshedLater = refreshedLater || (hook.agentProcess == id && hook.lastEventAt > observationTime);
        if (auto s = suppressedProcessFallbacks_.find(id); s != suppressedProcessFallbacks_.end())
            refreshedLater = refreshedLater || s->second.changedAt > observationTime;
        if (refreshedLater) continue;

        trackedActivity_.erase(id);
        const bool wasSuppressed = suppressedProcessFallbacks_.erase(id) > 0;
        AgentKind provider = reportedProvider;
        if (reportedProvider == id.kind) provider = knownProvider(id).value_or(reportedProvider);

        if (existing != processRecords_.end()) {
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
}

void AgentInventoryReducer::providerDisconnected(AgentKind provider, WallTime at) {
    expireTransients(at);
    std::erase_if(hookRecords_, [&](const auto& entry) { return entry.first.provider == provider; });
    for (auto it = suppressedProcessFallbacks_.begin(); it != suppressedProcessFallbacks_.end();) {
        it->second.sourceProviders.erase(provider);
        it = it->second.sourceProviders.empty() ? suppressedProcessFallbacks_.erase(it) : std::next(it);
    }
    noteInputTime(at);
}

}  // namespace quaylight
