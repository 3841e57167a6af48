#pragma once
// The agent tracking loop's picture of the machine, once per tick: which agent processes
// run, their kind, host app and parent, and whether each is busy. Lighter than a port
// scan: no sockets, no projects, and CPU time only for processes inside an agent's subtree.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "ProcessCoreKit/records/ProcessSnapshot.h"
#include "ProcessCoreKit/support/Time.h"
#include "TidewatchKit/scanner/AgentObservationBuilder.h"

namespace quaylight {

// The scanner's reads of the machine; every closure may be called from any thread.
struct AgentScannerDependencies {
    std::function<std::vector<std::int32_t>()> allPIDs;
    std::function<std::uint32_t()> currentUID;
    std::function<std::optional<ProcessSnapshot>(std::int32_t pid, std::uint32_t uid)> detectionSnapshot;
    std::function<std::optional<ProcessSnapshot>(std::int32_t pid, std::uint32_t uid, bool includeArgv)>
        enrichedSnapshot;  // the full read; the lightweight scan never needs it
    std::function<std::optional<ProcessSnapshot>(const ProcessSnapshot& from, std::uint32_t uid)> activitySnapshot;

    // The process reader over this machine's /proc.
    static AgentScannerDependencies live();
};

struct AgentScanner {
    struct Result {
        std::vector<AgentObservation> observations;  // in PID-list order
        ActivitySamples nextSamples;                 // to pass as previousSamples next tick
        WallTime scannedAt;
        int processCount = 0;  // PIDs listed, whether or not they could be read
    };

    AgentScannerDependencies dependencies;

    // Throws ScanFailure(enumerationUnavailable) when the PID list is empty. Not for
    // concurrent use on one set of samples: the caller serialises ticks.
    Result scanLightweight(const ActivitySamples& previousSamples, WallTime now) const;
};

}  // namespace quaylight
