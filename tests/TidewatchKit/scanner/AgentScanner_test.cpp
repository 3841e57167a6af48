#include "TidewatchKit/scanner/AgentScanner.h"

#include <gtest/gtest.h>

#include "ProcessCoreKit/records/ScanError.h"
#include "tests/support/Snapshots.h"
#include "tests/TidewatchKit/scanner/FakeMachine.h"

namespace quaylight {
namespace {

using namespace std::chrono_literals;
using testsupport::FakeMachine;
using testsupport::process;

const WallTime now = wallTimeFromMicroseconds(1'700'000'000'000'000);

TEST(AgentScanner, EmptyPIDListIsAnError) {
    FakeMachine machine;
    try {
        AgentScanner{machine.dependencies()}.scanLightweight({}, now);
        FAIL() << "no error";
    } catch (const ScanFailure& failure) {
        EXPECT_EQ(failure.error, ScanError::enumerationUnavailable);
    }
    EXPECT_FALSE(machine.uidSeen);
}

TEST(AgentScanner, ReadsCPUOnlyInsideAgentSubtreesAndCountsEveryListedPID) {
    FakeMachine machine;
    machine.add(process(10, "/usr/bin/node"));  // a server, outside every agent
    machine.add(process(20, "/usr/bin/codex"));
    machine.add(process(21, "/bin/sh", 20));
    machine.pids.insert(machine.pids.end(), {30, 31, 32});  // vanished or unreadable
    machine.cpu = {{10, 1}, {20, 1'000}, {21, 500}};

    auto result = AgentScanner{machine.dependencies()}.scanLightweight({}, now);
    EXPECT_EQ(machine.activityReads, (std::set<std::int32_t>{20, 21}));
    EXPECT_EQ(machine.enrichedReads, 0);
    EXPECT_EQ(machine.uidSeen, 501u);
    EXPECT_EQ(result.processCount, 6);
    EXPECT_EQ(result.scannedAt, now);
    ASSERT_EQ(result.observations.size(), 1u);
    EXPECT_EQ(result.observations[0].identity.pid, 20);
    EXPECT_EQ(result.nextSamples.size(), 2u);
}

TEST(AgentScanner, UnreadableActivityKeepsTheDetectionSnapshotWithoutASample) {
    FakeMachine machine;
    machine.add(process(20, "/usr/bin/codex"));
    auto result = AgentScanner{machine.dependencies()}.scanLightweight({}, now);
    ASSERT_EQ(result.observations.size(), 1u);
    EXPECT_TRUE(result.nextSamples.empty());
}

TEST(AgentScanner, SecondTickComparesAgainstTheFirstTicksSamples) {
    FakeMachine machine;
    machine.add(process(20, "/usr/bin/codex"));
    machine.add(process(21, "/usr/bin/cargo", 20));
    machine.cpu = {{20, 0}, {21, 0}};
    AgentScanner scanner{machine.dependencies()};
    auto first = scanner.scanLightweight({}, now);
    machine.cpu[21] = 300'000'000;
    auto second = scanner.scanLightweight(first.nextSamples, now + 1s);
    EXPECT_FALSE(first.observations[0].isWorking);
    EXPECT_TRUE(second.observations[0].isWorking);
}

}  // namespace
}  // namespace quaylight
