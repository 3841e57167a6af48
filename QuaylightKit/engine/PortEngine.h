#pragma once
// The scan engine: one call lists every process, keeps its listening TCP sockets, folds
// worker pools into one row each, and enriches every row with its agent, host app,
// project, classification and visibility. Holds no state between calls.

#include <cstdint>
#include <optional>
#include <vector>

#include "QuaylightKit/engine/PortEngineDependencies.h"
#include "QuaylightKit/engine/WorkerPoolCollapser.h"
#include "QuaylightKit/listener/ScanResult.h"

namespace quaylight {

struct PortEngine {
    PortEngineDependencies dependencies;

    PortEngine() : dependencies(PortEngineDependencies::live()) {}
    explicit PortEngine(PortEngineDependencies d) : dependencies(std::move(d)) {}

    // Throws ScanFailure(enumerationUnavailable) when no process can be listed.
    ScanResult scan(bool includeArgv) const;

    std::optional<ProcessSnapshot> detectionSnapshot(std::int32_t pid) const;

    struct LiveProcess {
        ProcessSnapshot snapshot;
        bool appleSystemBinary = false;  // the platform's system-executable test
    };
    // The process that holds `pid` now, whoever owns it; with its argument vector when
    // asked and the process is the user's own.
    std::optional<LiveProcess> resolveLiveProcess(std::int32_t pid, bool includeArgv = false) const;

    bool isInProcessSubtree(const ProcessSnapshot& owner, std::int32_t rootedAt) const;

    // The live processes that belong to the pool now and may be signalled, in PID-list order.
    std::vector<ProcessIdentity> poolMemberIdentities(const WorkerPoolCollapser::Signals& poolSignals) const;
};

}  // namespace quaylight
