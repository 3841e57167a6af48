#include "Quaylight/notch/model/NotchIslandPresentation.h"

#include <algorithm>
#include <fmt/format.h>

#include "Quaylight/agent-inventory/model/AgentInventorySnapshot.h"

namespace quaylight {
namespace {

std::string_view sessionWord(int n) { return n == 1 ? "session" : "sessions"; }

NotchIslandAgentState stateOf(const std::vector<AgentSessionSnapshot>& ambient, AgentKind provider,
                              const std::map<AgentKind, int>& pendingCompletions) {
    NotchIslandAgentState state;
    for (const auto& session : ambient) {
        if (session.provider != provider) continue;
        ++state.count;
        if (session.state == AgentSessionState::needsAttention || session.state == AgentSessionState::working)
            state.isWorking = true;
    }
    auto pending = pendingCompletions.find(provider);
    state.finishedCount = pending == pendingCompletions.end() ? 0 : std::max(0, pending->second);
    return state;
}

NotchIslandAgentState settled(const NotchIslandAgentState& state) {
    const int count = std::max(0, state.count);
    return {count, count >= 1 && state.isWorking, 0};
}

}  // namespace

std::string NotchIslandAgentState::accessibilityDescription(std::string_view agentName) const {
    if (finishedCount < 1) return fmt::format("{} {} {}", count, agentName, sessionWord(count));
    std::string text = fmt::format("{} {} {} ended", finishedCount, agentName, sessionWord(finishedCount));
    if (count >= 1) text += fmt::format("; {} {} remaining", count, sessionWord(count));
    return text;
}

NotchIslandPresentation NotchIslandPresentation::withoutCompletions() const {
    return {settled(codex), settled(claude)};
}

NotchIslandPresentation islandPresentation(const AgentInventorySnapshot& snapshot,
                                           const std::map<AgentKind, int>& pendingCompletions) {
    const auto ambient = snapshot.ambientSessions();
    return {stateOf(ambient, AgentKind::codex, pendingCompletions),
            stateOf(ambient, AgentKind::claude, pendingCompletions)};
}

}  // namespace quaylight
