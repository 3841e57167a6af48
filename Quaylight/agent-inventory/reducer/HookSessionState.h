#pragma once
// What one hook event makes of a hook session's state: the rule the Agents panel shows,
// apart from the bookkeeping around it.

#include <optional>
#include <string>

#include "Quaylight/agent-hooks/protocol/AgentHookProtocol.h"
#include "Quaylight/agent-inventory/model/AgentSessionState.h"

namespace quaylight {

struct HookSessionState {
    AgentSessionState state = AgentSessionState::detected;
    std::optional<std::string> detail;  // the sentence shown under the state

    friend bool operator==(const HookSessionState&, const HookSessionState&) = default;
};

// The state after `event`. An idle notification or a failed turn never hides a request
// for attention. A session end or a connection test changes no state (the first ends the
// session, the second is no session's event): they give `current` back.
HookSessionState hookSessionStateAfter(const HookSessionState& current, AgentHookProtocol::EventKind event);

}  // namespace quaylight
