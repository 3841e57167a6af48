#include "Quaylight/agent-inventory/model/AgentSessionSnapshot.h"

#include <fmt/format.h>

namespace quaylight {

std::string AgentSessionSnapshot::rowKey() const {
    if (state != AgentSessionState::recentlyFinished) return id.stableID();
    return fmt::format("{}:finished:{}", id.stableID(), lastEventAt.time_since_epoch().count());
}

}  // namespace quaylight
