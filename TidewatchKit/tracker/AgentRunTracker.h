#pragma once
// Folds each tick's agent observations into runs that last across ticks, debouncing the
// raw working flag: a run becomes active on its second consecutive working tick (a short
// burst of CPU is no run), goes idle on its fifth consecutive quiet tick (a short pause
// does not end it), and is reported finished exactly once, in the tick after its process
// is gone. Nested agents of the same kind fold into the run at the top of their session.

#include <unordered_map>
#include <vector>

#include "TidewatchKit/scanner/AgentObservation.h"
#include "TidewatchKit/tracker/AgentRun.h"

namespace quaylight {

struct AgentRunTracker {
    static constexpr int workingTicksToActivate = 2;
    static constexpr int quietTicksToIdle = 5;

    // Exactly the runs observed in the latest tick; never a finished one.
    std::unordered_map<AgentRunIdentity, AgentRun> runs;

    // Updates `runs`; returns the runs that finished in this tick (state finished), sorted.
    std::vector<AgentRun> observe(const std::vector<AgentObservation>& observations);

    // Active and idle runs, sorted by provider, PID and start time.
    std::vector<AgentRun> countedRuns() const;
    // Any run present, candidates included.
    bool hasOpenRun() const;

    // The observations that head their run, each carrying its whole subtree's working
    // flag; a nested agent of another kind heads a run of its own, and observations whose
    // parent links loop are all treated as heads.
    static std::vector<AgentObservation> topLevelObservations(const std::vector<AgentObservation>& observations);
};

}  // namespace quaylight
