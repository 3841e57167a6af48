#include "TidewatchKit/session/AgentTrackingLiveSource.h"

#include <gtest/gtest.h>

#include "ProcessCoreKit/records/ScanError.h"
#include "tests/support/Snapshots.h"
#include "tests/TidewatchKit/scanner/AgentProcesses.h"
#include "tests/TidewatchKit/scanner/FakeMachine.h"

namespace quaylight {
namespace {

using namespace std::chrono_literals;
using testsupport::AgentProcesses;
using testsupport::FakeMachine;
using testsupport::process;

TEST(AgentTrackingLiveSource, FailedScanKeepsRunsAndSamples) {
    FakeMachine machine;
    machine.add(process(20, "/usr/bin/codex"));
    machine.add(process(21, "/usr/bin/cargo", 20));
    machine.cpu = {{20, 0}, {21, 0}};
    WallTime now = wallTimeFromMicroseconds(1'700'000'000'000'000);
    AgentTrackingLiveSource source(machine.dependencies(), [&] { return now; });

    auto first = source.refresh();
    EXPECT_TRUE(first.hasOpenRun);
    EXPECT_EQ(first.processCount, 2);
    EXPECT_EQ(first.scannedAt, now);

    now += 1s;
    machine.listingFails = true;
    EXPECT_THROW(source.refresh(), ScanFailure);
    machine.listingFails = false;

    now += 1s;
    machine.cpu[21] = 400'000'000;  // 20 % over the two seconds since the sample before the failure
    EXPECT_TRUE(source.refresh().countedRuns.empty());  // a candidate after one working tick
    now += 1s;
    machine.cpu[21] = 800'000'000;
    auto active = source.refresh();
    ASSERT_EQ(active.countedRuns.size(), 1u);
    EXPECT_EQ(active.countedRuns[0].identity.process.pid, 20);
    EXPECT_EQ(active.countedRuns[0].state, AgentRunState::active);
}

TEST(AgentTrackingLiveSource, RealAgentBecomesActiveAndIsReportedFinishedOnceWhenItExits) {
    AgentProcesses agents;
    auto codex = agents.codex(AgentProcesses::fixture(true));
    codex.readLine();
    auto isOurs = [&](const AgentRun& run) { return run.identity.process.pid == codex.pid(); };

    AgentTrackingLiveSource source;
    auto update = source.refresh();
    for (int tick = 0; tick < 20 && std::none_of(update.countedRuns.begin(), update.countedRuns.end(), isOurs); ++tick) {
        testsupport::betweenScans();
        update = source.refresh();
    }
    auto ours = std::find_if(update.countedRuns.begin(), update.countedRuns.end(), isOurs);
    ASSERT_NE(ours, update.countedRuns.end());
    EXPECT_EQ(ours->provider, AgentKind::codex);
    EXPECT_EQ(ours->state, AgentRunState::active);

    codex.finish();
    auto afterExit = source.refresh();
    EXPECT_EQ(std::count_if(afterExit.finished.begin(), afterExit.finished.end(), isOurs), 1);
    EXPECT_TRUE(std::none_of(afterExit.countedRuns.begin(), afterExit.countedRuns.end(), isOurs));
    auto later = source.refresh();
    EXPECT_TRUE(std::none_of(later.finished.begin(), later.finished.end(), isOurs));
}

}  // namespace
}  // namespace quaylight
