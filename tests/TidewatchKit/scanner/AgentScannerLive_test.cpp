// The agent scanner against real processes started by this test. Other agents may run on
// the machine: every check looks only at the test's own processes.
#include <gtest/gtest.h>

#include "TidewatchKit/scanner/AgentScanner.h"
#include "tests/TidewatchKit/scanner/AgentProcesses.h"

namespace quaylight {
namespace {

using testsupport::AgentProcesses;

const AgentObservation* observationOf(const AgentScanner::Result& result, pid_t pid) {
    for (const auto& observation : result.observations)
        if (observation.identity.pid == pid) return &observation;
    return nullptr;
}

// Scans until `done` holds for a tick (at most about five seconds of ticks).
template <class Done>
AgentScanner::Result scanUntil(Done done) {
    AgentScanner scanner{AgentScannerDependencies::live()};
    auto result = scanner.scanLightweight({}, wallNow());
    for (int tick = 0; tick < 20 && !done(result); ++tick) {
        testsupport::betweenScans();
        result = scanner.scanLightweight(result.nextSamples, wallNow());
    }
    return result;
}

TEST(AgentScannerLive, ObservesEachAgentWithItsKind) {
    AgentProcesses agents;
    auto codex = agents.codex(AgentProcesses::fixture(false));
    auto claude = agents.claude(AgentProcesses::fixture(false));
    codex.readLine();
    claude.readLine();

    auto result = AgentScanner{AgentScannerDependencies::live()}.scanLightweight({}, wallNow());
    const auto* codexSeen = observationOf(result, codex.pid());
    const auto* claudeSeen = observationOf(result, claude.pid());
    ASSERT_TRUE(codexSeen);
    ASSERT_TRUE(claudeSeen);
    EXPECT_EQ(codexSeen->kind, AgentKind::codex);
    EXPECT_EQ(claudeSeen->kind, AgentKind::claude);
    EXPECT_EQ(codexSeen->parentIdentity.value_or(ProcessIdentity{}).pid, ::getpid());
    EXPECT_FALSE(codexSeen->isWorking);  // first sighting
    EXPECT_GE(result.processCount, 6);
    EXPECT_TRUE(result.nextSamples.contains(codexSeen->identity));
}

TEST(AgentScannerLive, ChildBurningCPUMakesItsAgentWorking) {
    AgentProcesses agents;
    for (bool viaNode : {false, true}) {
        auto agent = viaNode ? agents.claude(AgentProcesses::fixture(true)) : agents.codex(AgentProcesses::fixture(true));
        agent.readLine();
        auto result = scanUntil([&](const AgentScanner::Result& r) {
            const auto* seen = observationOf(r, agent.pid());
            return seen && seen->isWorking;
        });
        const auto* seen = observationOf(result, agent.pid());
        ASSERT_TRUE(seen) << viaNode;
        EXPECT_TRUE(seen->isWorking) << viaNode;
        agent.finish();
    }
}

TEST(AgentScannerLive, CPUInsideAnotherProvidersAgentIsNotChargedToTheOuterAgent) {
    AgentProcesses agents;
    // Claude Code runs Codex, which runs the CPU burner: the Codex session is busy, the
    // Claude Code session is not.
    auto claude = agents.claude(agents.codexArgv(AgentProcesses::fixture(true)));
    claude.readLine();

    auto result = scanUntil([&](const AgentScanner::Result& r) {
        for (const auto& observation : r.observations)
            if (observation.kind == AgentKind::codex && observation.parentIdentity &&
                observation.parentIdentity->pid == claude.pid() && observation.isWorking)
                return true;
        return false;
    });
    const auto* claudeSeen = observationOf(result, claude.pid());
    ASSERT_TRUE(claudeSeen);
    const AgentObservation* codexSeen = nullptr;
    for (const auto& observation : result.observations)
        if (observation.parentIdentity == claudeSeen->identity) codexSeen = &observation;
    ASSERT_TRUE(codexSeen);
    EXPECT_EQ(codexSeen->kind, AgentKind::codex);
    EXPECT_TRUE(codexSeen->isWorking);
    EXPECT_FALSE(claudeSeen->isWorking);
}

}  // namespace
}  // namespace quaylight
