#include "Quaylight/agent-inventory/reducer/HookSessionState.h"

namespace quaylight {

HookSessionState hookSessionStateAfter(const HookSessionState& current, AgentHookProtocol::EventKind event) {
    using EventKind = AgentHookProtocol::EventKind;
    using State = AgentSessionState;
    const bool needsAttention = current.state == State::needsAttention;
    switch (event) {
        case EventKind::sessionStart: return {State::detected, std::nullopt};
        case EventKind::promptSubmitted: return {State::working, std::nullopt};
        case EventKind::permissionRequested: return {State::needsAttention, "Waiting for permission approval."};
        case EventKind::needsInputNotification: return {State::needsAttention, "The agent asked for your input."};
        case EventKind::idleNotification: return needsAttention ? current : HookSessionState{State::waiting, std::nullopt};
        case EventKind::turnEnded: return {State::waiting, std::nullopt};
        case EventKind::turnFailed:
            return needsAttention ? current : HookSessionState{State::waiting, "The last turn ended with an error."};
        case EventKind::sessionEnded:
        case EventKind::connectionTest: return current;
    }
    return current;
}

}  // namespace quaylight
