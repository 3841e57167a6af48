#pragma once

namespace quaylight {

// What an agent session is doing, most urgent first: rows sort by this order, and the
// first three are the ambient states the notch indicator counts.
enum class AgentSessionState { needsAttention, working, waiting, detected, recentlyFinished };

constexpr int urgencyOrder(AgentSessionState state) { return static_cast<int>(state); }

constexpr bool isAmbient(AgentSessionState state) {
    return urgencyOrder(state) < urgencyOrder(AgentSessionState::detected);
}

}  // namespace quaylight
