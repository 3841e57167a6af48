#include "QuaylightKit/session/AgentProviderPresentationFold.h"

#include <algorithm>
#include <unordered_set>

#include "ProcessCoreKit/recognition/AgentProcessDetector.h"

namespace quaylight {

ScanResult AgentProviderPresentationFold::reconcile(ScanResult result, const PresentedProviders& prior) {
    std::unordered_set<AgentProcessIdentity> live;
    for (const auto& entry : result.agentPresence.entries) live.insert(entry.identity);
    for (const auto& listener : result.listeners)
        if (listener.agentProcess) live.insert(*listener.agentProcess);

    auto& presented = presentedProviderByAgent_;
    std::erase_if(presented, [&](const auto& item) { return !live.contains(item.first); });

    // A listener's origin names the provider, unless an earlier choice already differs
    // from the process's own kind.
    for (const auto& listener : result.listeners) {
        if (!listener.agentProcess || !listener.agentOrigin) continue;
        auto it = presented.find(*listener.agentProcess);
        if (it == presented.end() || it->second == listener.agentProcess->kind)
            presented[*listener.agentProcess] = *listener.agentOrigin;
    }
    for (const auto& [identity, provider] : prior)
        if (live.contains(identity)) presented[identity] = provider;

    ScanResult out;
    out.scannedAt = result.scannedAt;
    out.processCount = result.processCount;
    out.agentPresence.entries.reserve(result.agentPresence.entries.size());
    for (const auto& entry : result.agentPresence.entries) {
        AgentKind provider;
        if (auto it = prior.find(entry.identity); it != prior.end()) {
            provider = it->second;
        } else {
            std::optional<AgentKind> previous;
            if (auto p = presented.find(entry.identity); p != presented.end()) previous = p->second;
            std::optional<HostAppKind> host;
            if (entry.host) host = entry.host->kind;
            provider = AgentProviderResolver::resolve(entry.identity.kind, host, previous);
        }
        presented[entry.identity] = provider;
        auto copy = entry;
        copy.provider = provider;
        out.agentPresence.entries.push_back(std::move(copy));
    }
    // By the presented provider, not the process's own kind.
    std::stable_sort(out.agentPresence.entries.begin(), out.agentPresence.entries.end(), presentedAgentOrderLess);

    out.listeners = std::move(result.listeners);
    for (auto& listener : out.listeners) {
        if (!listener.agentProcess) continue;
        if (auto it = presented.find(*listener.agentProcess); it != presented.end()) listener.agentOrigin = it->second;
    }
    return out;
}

}  // namespace quaylight
