#include "TidewatchKit/scanner/AgentObservationBuilder.h"

#include <gtest/gtest.h>

#include "tests/support/Snapshots.h"

namespace quaylight {
namespace {

using namespace std::chrono_literals;
using testsupport::process;
using testsupport::withArgv;

const WallTime t0 = wallTimeFromMicroseconds(1'700'000'000'000'000);
const WallTime t1 = t0 + 1s;

ProcessSnapshot withCPU(ProcessSnapshot s, std::uint64_t nanos) {
    s.cpuReadable = true;
    s.cpuTimeNanos = nanos;
    return s;
}

// Samples at t0 of the given processes, with the CPU time each had then.
ActivitySamples samplesAt(WallTime at, std::vector<std::pair<ProcessSnapshot, std::uint64_t>> readings) {
    ActivitySamples samples;
    for (const auto& [snapshot, nanos] : readings) samples[snapshot.identity] = {nanos, at};
    return samples;
}

const AgentObservation* find(const AgentObservationBuilder::Output& output, std::int32_t pid) {
    for (const auto& observation : output.observations)
        if (observation.identity.pid == pid) return &observation;
    return nullptr;
}

TEST(AgentObservationBuilder, EmptyListGivesNothing) {
    auto output = AgentObservationBuilder::build({}, {}, t1);
    EXPECT_TRUE(output.observations.empty());
    EXPECT_TRUE(output.nextSamples.empty());
}

TEST(AgentObservationBuilder, AgentSeenForTheFirstTimeIsNotWorkingEvenWhenBusy) {
    auto codex = withCPU(process(100, "/usr/bin/codex"), 5'000'000'000);
    auto output = AgentObservationBuilder::build({codex}, {}, t1);
    ASSERT_EQ(output.observations.size(), 1u);
    EXPECT_FALSE(output.observations[0].isWorking);
    EXPECT_EQ(output.nextSamples.at(codex.identity), (ActivityEstimator::Sample{5'000'000'000, t1}));
}

struct ThresholdCase {
    std::uint64_t cpuDeltaNanos;  // over one second
    bool working;
};

void PrintTo(const ThresholdCase& c, std::ostream* os) { *os << c.cpuDeltaNanos << "ns"; }

class WorkingThreshold : public ::testing::TestWithParam<ThresholdCase> {};

TEST_P(WorkingThreshold, IsTenPercentOfOneCoreInclusive) {
    auto before = withCPU(process(100, "/usr/bin/codex"), 1'000'000'000);
    auto after = withCPU(process(100, "/usr/bin/codex"), 1'000'000'000 + GetParam().cpuDeltaNanos);
    auto output = AgentObservationBuilder::build({after}, samplesAt(t0, {{before, 1'000'000'000}}), t1);
    ASSERT_EQ(output.observations.size(), 1u);
    EXPECT_EQ(output.observations[0].isWorking, GetParam().working) << GetParam().cpuDeltaNanos;
}

INSTANTIATE_TEST_SUITE_P(Table, WorkingThreshold,
                         ::testing::Values(ThresholdCase{0, false}, ThresholdCase{99'900'000, false},
                                           ThresholdCase{100'000'000, true}, ThresholdCase{2'000'000'000, true}));

TEST(AgentObservationBuilder, ChildCPUIsChargedToTheAgentThatHeadsTheSession) {
    auto agent = withCPU(process(100, "/usr/bin/claude"), 1'000);
    auto shell = withCPU(process(101, "/bin/bash", 100), 0);
    auto compiler = withCPU(process(102, "/usr/bin/cc1plus", 101), 2'000'000'000);
    auto previous = samplesAt(t0, {{agent, 1'000}, {shell, 0}, {compiler, 1'500'000'000}});
    auto output = AgentObservationBuilder::build({agent, shell, compiler}, previous, t1);
    ASSERT_EQ(output.observations.size(), 1u);
    EXPECT_TRUE(output.observations[0].isWorking);  // the agent itself was idle
    EXPECT_EQ(output.nextSamples.size(), 3u);
}

TEST(AgentObservationBuilder, SmallLoadsOfSeveralProcessesAddUp) {
    auto agent = withCPU(process(100, "/usr/bin/codex"), 60'000'000);
    auto child = withCPU(process(101, "/usr/bin/rg", 100), 60'000'000);
    auto output = AgentObservationBuilder::build({agent, child}, samplesAt(t0, {{agent, 0}, {child, 0}}), t1);
    EXPECT_TRUE(find(output, 100)->isWorking);  // 6 % + 6 %
}

TEST(AgentObservationBuilder, NestedAgentIsNotWorkingByItselfAndItsCPUCountsForTheHead) {
    auto outer = withCPU(process(100, "/usr/bin/claude"), 0);
    auto inner = withCPU(process(101, "/usr/bin/claude", 100), 500'000'000);
    auto output = AgentObservationBuilder::build({outer, inner}, samplesAt(t0, {{outer, 0}, {inner, 0}}), t1);
    ASSERT_EQ(output.observations.size(), 2u);
    EXPECT_TRUE(find(output, 100)->isWorking);
    EXPECT_FALSE(find(output, 101)->isWorking);
    EXPECT_EQ(find(output, 101)->parentIdentity, outer.identity);
}

TEST(AgentObservationBuilder, AgentOfAnotherKindHeadsItsOwnSession) {
    auto claude = withCPU(process(100, "/usr/bin/claude"), 0);
    auto codex = withCPU(process(101, "/usr/bin/codex", 100), 0);
    auto tool = withCPU(process(102, "/usr/bin/python3", 101), 800'000'000);
    auto output = AgentObservationBuilder::build({claude, codex, tool},
                                                 samplesAt(t0, {{claude, 0}, {codex, 0}, {tool, 0}}), t1);
    EXPECT_FALSE(find(output, 100)->isWorking);
    EXPECT_TRUE(find(output, 101)->isWorking);
}

TEST(AgentObservationBuilder, ProcessesOutsideAgentsOrWithoutCPUTimeGetNoSample) {
    auto server = withCPU(process(50, "/usr/bin/node"), 9'000'000'000);
    auto agent = process(100, "/usr/bin/codex");  // no CPU reading
    auto output = AgentObservationBuilder::build({server, agent}, samplesAt(t0, {{server, 0}}), t1);
    EXPECT_TRUE(output.nextSamples.empty());
    ASSERT_EQ(output.observations.size(), 1u);
    EXPECT_FALSE(output.observations[0].isWorking);
}

TEST(AgentObservationBuilder, ObservationCarriesKindHostAndParentInSnapshotOrder) {
    auto terminal = process(10, "/usr/libexec/gnome-terminal-server");
    auto shell = process(11, "/usr/bin/zsh", 10);
    auto codex = process(12, "/usr/bin/codex", 11);
    auto claude = withArgv(process(13, "/usr/bin/node", 1), {"node", "/home/u/.npm/bin/claude"});
    auto output = AgentObservationBuilder::build({terminal, shell, codex, claude}, {}, t1);
    ASSERT_EQ(output.observations.size(), 2u);
    EXPECT_EQ(output.observations[0],
              (AgentObservation{codex.identity, AgentKind::codex, HostAppKind::terminal, shell.identity, false}));
    EXPECT_EQ(output.observations[1],
              (AgentObservation{claude.identity, AgentKind::claude, std::nullopt, std::nullopt, false}));
}

TEST(AgentObservationBuilder, SamplesOfVanishedProcessesDropOut) {
    auto agent = withCPU(process(100, "/usr/bin/codex"), 10);
    auto gone = withCPU(process(101, "/bin/sh", 100), 10);
    auto output = AgentObservationBuilder::build({agent}, samplesAt(t0, {{agent, 0}, {gone, 0}}), t1);
    EXPECT_EQ(output.nextSamples.size(), 1u);
    EXPECT_TRUE(output.nextSamples.contains(agent.identity));
}

}  // namespace
}  // namespace quaylight
