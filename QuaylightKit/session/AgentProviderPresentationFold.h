#pragma once
// Keeps the provider (Codex or Claude) under which each agent process is presented stable
// from scan to scan, and in line with what the rest of the application already shows:
// the application's own evidence wins, then a listener's agent origin, then the host rule
// (the agents' desktop apps decide), then what this fold chose before.

#include <unordered_map>

#include "ProcessCoreKit/records/AgentProcessIdentity.h"
#include "QuaylightKit/listener/ScanResult.h"

namespace quaylight {

using PresentedProviders = std::unordered_map<AgentProcessIdentity, AgentKind>;

class AgentProviderPresentationFold {
public:
    // The result with each presence entry's provider and each attributed listener's origin
    // replaced by the presented provider; presence entries ordered Codex first, then by
    // PID and start time. Forgets agent processes the result no longer shows. Taken by
    // value: a scan's thousands of listeners move through rather than being copied.
    ScanResult reconcile(ScanResult result, const PresentedProviders& priorProviders);

private:
    PresentedProviders presentedProviderByAgent_;
};

}  // namespace quaylight
