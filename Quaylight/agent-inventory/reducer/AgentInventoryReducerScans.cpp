// Successful port scans: the agent processes they see become process records, processes
// they no longer see end, and so do the hook sessions that depended on them.
#include <set>
#include <utility>

#include "Quaylight/agent-inventory/reducer/AgentInventoryReducer.h"

namespace quaylight {

bool AgentInventoryReducer::isContinuousScan(WallTime scanTime) const {
    return lastSuccessfulScanAt_ && scanTime >= *lastSuccessfulScanAt_ &&
           scanTime - *lastSuccessfulScanAt_ <= scanContinuityWindow_;
}

void AgentInventoryReducer::applyPanelScan(const AgentProcessPresenceSnapshot& presence,
                                           const RelatedListeners& relatedListeners,
                                           const RuntimeCurrentTest& runtimeCurrent, std::optional<WallTime> observedAt,
                                           WallTime at) {
    const WallTime scanTime = observedAt.value_or(at);
    expireTransients(at);
    republishAll();  // a scan may touch every process and the sessions mapped to them

    ProcessSet seen;
    for (const auto& entry : presence.entries) seen.insert(entry.identity);
    for (const auto& [id, listeners] : relatedListeners) seen.insert(id);
    ProcessSet suppressedBefore;
    for (const auto& [id, suppression] : suppressedProcessFallbacks_) suppressedBefore.insert(id);
    forgetUnseenEvidence(seen, scanTime);

    const auto old = processRecords_;
    AgentProcessMap<ProcessRecord> fresh;
    for (const auto& entry : presence.entries) {
        auto previous = old.find(entry.identity);
        fresh[entry.identity] = scannedProcessRecord(entry, previous == old.end() ? nullptr : &previous->second,
                                                     relatedListeners, scanTime);
    }
    keepListenerOnlyProcesses(fresh, old, relatedListeners, scanTime);
    auto vanished = keepLaterNewsAndCollectVanished(fresh, old, scanTime);

    const bool continuous = isContinuousScan(scanTime);
    finishVanishedProcesses(vanished, suppressedBefore, continuous, at);
    processRecords_ = std::move(fresh);
    refreshMappedHookPresentation();
    endHookSessionsTheScanOutlived(runtimeCurrent, continuous, scanTime, at);

    lastSuccessfulScanAt_ = lastSuccessfulScanAt_ ? std::max(*lastSuccessfulScanAt_, scanTime) : scanTime;
    scanIsStale_ = false;
    noteInputTime(scanTime);
}

void AgentInventoryReducer::forgetUnseenEvidence(const ProcessSet& seen, WallTime scanTime) {
    // What is known of processes the scan no longer sees goes, unless it was learnt after
    // the scan was taken.
    std::erase_if(suppressedProcessFallbacks_,
                  [&](const auto& entry) { return !seen.contains(entry.first) && entry.second.changedAt <= scanTime; });
    std::erase_if(providerPresentationEvidence_,
                  [&](const auto& entry) { return !seen.contains(entry.first) && entry.second.observedAt <= scanTime; });
}

AgentInventoryReducer::ProcessRecord AgentInventoryReducer::scannedProcessRecord(
    const AgentProcessPresence& entry, const ProcessRecord* previous, const RelatedListeners& relatedListeners,
    WallTime scanTime) {
    const auto& id = entry.identity;
    // A provider that differs from the detected kind was resolved from a host app.
    std::optional<AgentKind> fallback;
    if (entry.provider != id.kind)
        fallback = entry.provider;
    else if (previous)
        fallback = previous->provider;
    auto presented =
        reconcileProviderPresentation(id, entry.host ? std::optional(entry.host->kind) : std::nullopt, fallback, scanTime);
    auto evidenceHost = evidenceHostKind(id);
    std::optional<HostAppOccurrence> host;
    for (const auto* candidate : {&entry.host, previous ? &previous->presence.host : nullptr}) {
        if (candidate && *candidate && (!evidenceHost || (*candidate)->kind == *evidenceHost)) {
            host = *candidate;
            break;
        }
    }

    ProcessRecord record;
    if (previous && previous->lastSeenAt > scanTime) {
        // Refreshed by a tracker fact or hook event after the scan was taken.
        record = *previous;
        record.provider = presented;
        record.presence.provider = presented;
        record.presence.host = host;
        if (!record.presence.projectName) record.presence.projectName = entry.projectName;
        return record;
    }
    record.presence = AgentProcessPresence(id, presented, host, entry.projectName, entry.detectedAt);
    record.provider = presented;
    if (auto listeners = relatedListeners.find(id); listeners != relatedListeners.end())
        record.relatedListenerIDs = listeners->second;
    record.lastSeenAt = scanTime;
    record.scanObserved = true;
    record.wasAmbientEligible = previous && previous->wasAmbientEligible;
    return record;
}

void AgentInventoryReducer::keepListenerOnlyProcesses(AgentProcessMap<ProcessRecord>& fresh,
                                                      const AgentProcessMap<ProcessRecord>& old,
                                                      const RelatedListeners& relatedListeners, WallTime scanTime) {
    // A known process the scan saw only through its listeners stays, with those listeners.
    for (const auto& [id, listeners] : relatedListeners) {
        if (fresh.contains(id)) continue;
        auto previous = old.find(id);
        if (previous == old.end()) continue;
        auto record = previous->second;
        if (record.lastSeenAt <= scanTime) {
            record.relatedListenerIDs = listeners;
            record.lastSeenAt = scanTime;
            record.scanObserved = true;
        }
        fresh[id] = std::move(record);
    }
}

std::vector<std::pair<AgentProcessIdentity, AgentInventoryReducer::ProcessRecord>>
AgentInventoryReducer::keepLaterNewsAndCollectVanished(AgentProcessMap<ProcessRecord>& fresh,
                                                       const AgentProcessMap<ProcessRecord>& old, WallTime scanTime) {
    std::vector<std::pair<AgentProcessIdentity, ProcessRecord>> vanished;
    for (const auto& [id, record] : old) {
        if (fresh.contains(id)) continue;
        if (record.lastSeenAt > scanTime)
            fresh[id] = record;  // news after the scan was taken outweighs its silence
        else
            vanished.emplace_back(id, record);
    }
    return vanished;
}

void AgentInventoryReducer::finishVanishedProcesses(
    const std::vector<std::pair<AgentProcessIdentity, ProcessRecord>>& vanished, const ProcessSet& suppressedBefore,
    bool continuous, WallTime at) {
    ProcessSet hookMapped;
    for (const auto& [key, record] : hookRecords_)
        if (record.agentProcess) hookMapped.insert(*record.agentProcess);
    for (const auto& [id, record] : vanished) {
        trackedActivity_.erase(id);
        // Only a process watched without a gap can be said to have just finished.
        if (continuous && !suppressedBefore.contains(id) && !hookMapped.contains(id) && record.wasAmbientEligible)
            finishProcessSession(record, id, at);
    }
}

void AgentInventoryReducer::endHookSessionsTheScanOutlived(const RuntimeCurrentTest& runtimeCurrent, bool continuous,
                                                           WallTime scanTime, WallTime at) {
    std::vector<std::pair<HookKey, bool>> ending;  // key, may finish
    for (const auto& [key, record] : hookRecords_) {
        if (record.lastEventAt > scanTime) continue;  // it spoke after the scan was taken
        if (record.agentProcess) {
            if (!processRecords_.contains(*record.agentProcess)) ending.emplace_back(key, continuous);
        } else if (record.runtime && !runtimeCurrent(*record.runtime)) {
            ending.emplace_back(key, true);
        }
    }
    for (const auto& [key, mayFinish] : ending) endHookSession(key, at, mayFinish);
}

}  // namespace quaylight
