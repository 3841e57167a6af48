#pragma once

#include "TidewatchKit/scanner/AgentObservationBuilder.h"
#include "TidewatchKit/tracker/AgentRunTracker.h"

namespace quaylight {

// What the tracking loop keeps between ticks: its runs and the CPU samples to compare
// the next tick against. A failed scan leaves both as they were.
struct AgentMonitor {
    AgentRunTracker tracker;
    ActivitySamples previousSamples;
};

}  // namespace quaylight
