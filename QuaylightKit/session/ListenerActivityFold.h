#pragma once
// The CPU activity of every listener of a scan, from its process's CPU time now and at the
// previous scan. The samples it returns replace the previous ones, so listeners that went
// away are forgotten.

#include <string>
#include <unordered_map>

#include "ProcessCoreKit/activity/ActivityEstimator.h"
#include "QuaylightKit/listener/ScanResult.h"
#include "QuaylightKit/session/ScanFrame.h"

namespace quaylight {

struct ListenerActivityFold {
    using Samples = std::unordered_map<std::string, ActivityEstimator::Sample>;  // by stable id

    struct Step {
        ScanFrame::ActivityByID activity;
        Samples samples;
    };

    // Worker pools get no entry (no single process's CPU time stands for them); a listener
    // without a CPU reading, or seen for the first time, is unknown.
    static Step step(const ScanResult& result, const Samples& previousSamples);
};

}  // namespace quaylight
