#include "TidewatchKit/tracker/AgentRunTracker.h"

#include <algorithm>
#include <functional>
#include <unordered_set>

#include "ProcessCoreKit/recognition/AgentProcessDetector.h"

namespace quaylight {
namespace {

AgentRunState nextState(AgentRun& run, bool working) {
    switch (run.state) {
        case AgentRunState::candidate:
            if (!working) {
                run.consecutiveWorking = 0;
                return AgentRunState::candidate;
            }
            if (++run.consecutiveWorking < AgentRunTracker::workingTicksToActivate) return AgentRunState::candidate;
            run.consecutiveQuiet = 0;
            return AgentRunState::active;
        case AgentRunState::active:
            if (working) {
                run.consecutiveQuiet = 0;
                return AgentRunState::active;
            }
            return ++run.consecutiveQuiet < AgentRunTracker::quietTicksToIdle ? AgentRunState::active
                                                                               : AgentRunState::idle;
        case AgentRunState::idle:
            if (!working) return AgentRunState::idle;
            run.consecutiveQuiet = 0;
            return AgentRunState::active;
        case AgentRunState::finished: return AgentRunState::finished;
    }
    return run.state;
}

std::vector<AgentRun> sorted(std::vector<AgentRun> runs) {
    std::stable_sort(runs.begin(), runs.end(), agentRunOrderLess);
    return runs;
}

}  // namespace

std::vector<AgentObservation> AgentRunTracker::topLevelObservations(const std::vector<AgentObservation>& observations) {
    // Unique identities in order of first appearance; a later observation replaces an earlier one.
    std::vector<ProcessIdentity> order;
    std::unordered_map<ProcessIdentity, AgentObservation> byIdentity;
    for (const auto& observation : observations)
        if (byIdentity.insert_or_assign(observation.identity, observation).second) order.push_back(observation.identity);

    std::unordered_map<ProcessIdentity, ProcessIdentity> parentLink;
    for (const auto& identity : order) {
        const auto& observation = byIdentity.at(identity);
        if (!observation.parentIdentity) continue;
        auto parent = byIdentity.find(*observation.parentIdentity);
        if (parent != byIdentity.end() && parent->second.kind == observation.kind)
            parentLink.emplace(identity, *observation.parentIdentity);
    }

    std::unordered_set<ProcessIdentity> inCycle;
    for (const auto& identity : order) {
        std::unordered_set<ProcessIdentity> visited{identity};
        for (auto link = parentLink.find(identity); link != parentLink.end(); link = parentLink.find(link->second)) {
            if (!visited.insert(link->second).second) {
                inCycle.insert(identity);
                break;
            }
        }
    }

    std::unordered_map<ProcessIdentity, std::vector<ProcessIdentity>> children;
    for (const auto& identity : order) {
        auto link = parentLink.find(identity);
        if (link != parentLink.end() && !inCycle.contains(identity)) children[link->second].push_back(identity);
    }

    std::function<bool(const ProcessIdentity&)> subtreeWorking = [&](const ProcessIdentity& identity) {
        if (byIdentity.at(identity).isWorking) return true;
        auto kids = children.find(identity);
        if (kids == children.end()) return false;
        return std::any_of(kids->second.begin(), kids->second.end(), subtreeWorking);
    };

    std::vector<AgentObservation> tops;
    for (const auto& identity : order) {
        if (parentLink.contains(identity) && !inCycle.contains(identity)) continue;
        AgentObservation top = byIdentity.at(identity);
        top.isWorking = subtreeWorking(identity);
        tops.push_back(std::move(top));
    }
    return tops;
}

std::vector<AgentRun> AgentRunTracker::observe(const std::vector<AgentObservation>& observations) {
    std::unordered_map<AgentRunIdentity, AgentObservation> observed;
    for (auto& top : topLevelObservations(observations))
        observed.insert_or_assign(AgentRunIdentity{top.identity, top.kind}, std::move(top));

    for (const auto& [key, observation] : observed) {
        auto existing = runs.find(key);
        AgentRun run = existing != runs.end() ? existing->second : AgentRun{key, key.kind, std::nullopt};
        std::optional<AgentKind> previousProvider;
        if (existing != runs.end()) previousProvider = existing->second.provider;
        run.provider = AgentProviderResolver::resolve(key.kind, observation.host, previousProvider);
        run.host = observation.host;
        run.state = nextState(run, observation.isWorking);
        runs.insert_or_assign(key, run);
    }

    std::vector<AgentRun> finished;
    for (auto it = runs.begin(); it != runs.end();) {
        if (observed.contains(it->first)) {
            ++it;
            continue;
        }
        if (it->second.isCounted()) {
            AgentRun done = it->second;
            done.state = AgentRunState::finished;
            finished.push_back(std::move(done));
        }
        it = runs.erase(it);  // unobserved candidates vanish without a trace
    }
    return sorted(std::move(finished));
}

std::vector<AgentRun> AgentRunTracker::countedRuns() const {
    std::vector<AgentRun> counted;
    for (const auto& [key, run] : runs)
        if (run.isCounted()) counted.push_back(run);
    return sorted(std::move(counted));
}

bool AgentRunTracker::hasOpenRun() const {
    return std::any_of(runs.begin(), runs.end(),
                       [](const auto& entry) { return entry.second.state != AgentRunState::finished; });
}

}  // namespace quaylight
