#include "Quaylight/agent-inventory/model/AgentTrackingUpdateFacts.h"

namespace quaylight {

AgentTrackingUpdateFacts AgentTrackingUpdateFacts::from(const AgentTrackingUpdate& update) {
    AgentTrackingUpdateFacts facts;
    for (const auto& run : update.countedRuns) {
        facts.counted.push_back({run.identity, run.provider, run.state == AgentRunState::active});
        if (run.host) facts.currentHosts[run.identity] = *run.host;
    }
    for (const auto& run : update.finished) facts.finished.push_back({run.identity, run.provider});
    facts.observedAt = update.scannedAt;
    return facts;
}

}  // namespace quaylight
