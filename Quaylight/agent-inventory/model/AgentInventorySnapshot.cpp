#include "Quaylight/agent-inventory/model/AgentInventorySnapshot.h"

#include <algorithm>

namespace quaylight {

namespace {

std::vector<AgentSessionSnapshot> sessionsWhere(const AgentSessionList& sessions, auto keep) {
    std::vector<AgentSessionSnapshot> kept;
    std::copy_if(sessions.begin(), sessions.end(), std::back_inserter(kept),
                 [&](const AgentSessionSnapshot& s) { return keep(s.state); });
    return kept;
}

}  // namespace

std::vector<AgentSessionSnapshot> AgentInventorySnapshot::currentSessions() const {
    return sessionsWhere(sessions, [](AgentSessionState s) { return s != AgentSessionState::recentlyFinished; });
}

std::vector<AgentSessionSnapshot> AgentInventorySnapshot::ambientSessions() const {
    return sessionsWhere(sessions, [](AgentSessionState s) { return isAmbient(s); });
}

AgentStopAvailability AgentInventorySnapshot::stopAvailability(const AgentSessionSnapshot& session) const {
    if (session.state == AgentSessionState::recentlyFinished) return AgentStopAvailability::finished;
    if (!session.processIdentity) return AgentStopAvailability::noLocalProcess;
    auto sharing = std::count_if(sessions.begin(), sessions.end(), [&](const AgentSessionSnapshot& s) {
        return s.state != AgentSessionState::recentlyFinished && s.processIdentity == session.processIdentity;
    });
    // None at all means the session is not part of this snapshot: nothing to vouch for.
    return sharing == 1 ? AgentStopAvailability::available : AgentStopAvailability::sharedProcess;
}

std::map<std::string, AgentStopAvailability> AgentInventorySnapshot::stopAvailabilityByID() const {
    std::map<std::string, AgentStopAvailability> byID;
    for (const auto& session : sessions) {
        auto availability = stopAvailability(session);
        byID[session.rowKey()] = availability;
        if (session.state != AgentSessionState::recentlyFinished) byID[session.id.stableID()] = availability;
    }
    for (const auto& session : sessions)
        if (session.state == AgentSessionState::recentlyFinished)
            byID.try_emplace(session.id.stableID(), AgentStopAvailability::finished);
    return byID;
}

}  // namespace quaylight
