#include "TidewatchKit/scanner/AgentObservationBuilder.h"

namespace quaylight {

AgentObservationBuilder::Output AgentObservationBuilder::build(const std::vector<ProcessSnapshot>& snapshots,
                                                               const ActivitySamples& previousSamples, WallTime now) {
    if (snapshots.empty()) return {};
    return build(AgentProcessGraph(snapshots), snapshots, previousSamples, now);
}

AgentObservationBuilder::Output AgentObservationBuilder::build(const AgentProcessGraph& graph,
                                                               const std::vector<ProcessSnapshot>& snapshots,
                                                               const ActivitySamples& previousSamples, WallTime now) {
    Output output;

    std::unordered_map<ProcessIdentity, double> sessionPercent;
    for (const auto& snapshot : snapshots) {
        auto owner = graph.owningAgentIdentity(snapshot);
        if (!owner || !snapshot.cpuTimeNanos) continue;
        auto session = graph.topLevelSessionIdentity(*owner);
        ActivityEstimator::Sample sample{*snapshot.cpuTimeNanos, now};
        output.nextSamples.insert_or_assign(snapshot.identity, sample);
        auto previous = previousSamples.find(snapshot.identity);
        auto percent = ActivityEstimator::cpuPercent(
            previous == previousSamples.end() ? std::nullopt : std::optional(previous->second), sample);
        if (!percent) continue;  // first sighting of this process
        sessionPercent[session.process] += *percent;
    }

    for (const auto& snapshot : snapshots) {
        auto kind = graph.agentKind(snapshot);
        if (!kind) continue;
        auto host = graph.nearestHostApp(snapshot);
        auto sum = sessionPercent.find(snapshot.identity);
        output.observations.push_back(AgentObservation{
            snapshot.identity,
            *kind,
            host ? std::optional(host->kind) : std::nullopt,
            graph.parentIdentity(snapshot),
            sum != sessionPercent.end() && sum->second >= workingThreshold,
        });
    }
    return output;
}

}  // namespace quaylight
