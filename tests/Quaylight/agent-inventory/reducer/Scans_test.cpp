#include <gtest/gtest.h>

#include "tests/Quaylight/agent-inventory/support/InventoryTesting.h"

namespace quaylight::testsupport {
namespace {

using Rows = std::vector<std::string>;

// A process seen by a scan at +0s and counted by the tracker at +1s, so that it may
// finish; then a scan without it at `gap` after the first.
struct Vanishing {
    Story story;
    AgentProcessIdentity codex = agent(101);

    explicit Vanishing(Microseconds gap, std::optional<Microseconds> window = {}) {
        if (window) story.reducer.setScanContinuityWindow(*window);
        story.scan(t(0s), {presence(codex)});
        story.track(t(1s), {{codex, AgentKind::codex, true}}, {}, {}, t(1s));
        story.scan(t(0s) + gap, {});
    }
};

TEST(Scans, FirstScanCreatesRecordsAndFinishesNothing) {
    Story story;
    auto codex = agent(101);
    auto claude = agent(202, AgentKind::claude);
    story.scan(t(3s), {presence(codex, {}, {}, "api"), presence(claude)});
    EXPECT_EQ(story.rows(), (Rows{"agent:claude/202 claude detected", "agent:codex/101 codex detected"}));
    EXPECT_EQ(story.reducer.lastSuccessfulScanAt(), t(3s));
    EXPECT_FALSE(story.reducer.scanIsStale());
    EXPECT_EQ(story.reducer.capturedAt(), t(3s));
    EXPECT_EQ(details(story.session("agent:codex/101")),
              "host=- project=api location=local evidence=process ports=none:0 started=1101 last=+3s process=101");
}

TEST(Scans, ScanTimeIsTheObservationTimeWhenGiven) {
    Story story;
    story.scan(t(10s), {presence(agent(101))}, {}, t(8s));
    EXPECT_EQ(story.reducer.lastSuccessfulScanAt(), t(8s));
    EXPECT_EQ(story.session("agent:codex/101").lastEventAt, t(8s));
}

struct ContinuityCase {
    Microseconds gap;
    std::optional<Microseconds> window;
    bool finishes;
};

void PrintTo(const ContinuityCase& c, std::ostream* os) {
    *os << "gap " << offset(t(c.gap)) << (c.window ? " window " + offset(t(*c.window)) : std::string());
}

class ScanContinuity : public ::testing::TestWithParam<ContinuityCase> {};

TEST_P(ScanContinuity, DecidesWhetherAVanishedProcessFinished) {
    auto [gap, window, finishes] = GetParam();
    Vanishing v(gap, window);
    EXPECT_EQ(v.story.rows(), finishes ? Rows{"agent:codex/101 codex recentlyFinished"} : Rows{});
    EXPECT_EQ(v.story.takeEdges(), finishes ? Rows{offset(t(0s) + gap).insert(0, "agent:codex/101 codex ")} : Rows{});
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScanContinuity,
    ::testing::Values(ContinuityCase{1s, {}, true},                 // the balanced cadence
                      ContinuityCase{10s, {}, true},                // the window's end is inside
                      ContinuityCase{10'500ms, {}, false},          // just outside
                      ContinuityCase{10s + 1us, {}, false},         //
                      // Ten-second scans (battery saver, Low Power Mode) need a wider window.
                      ContinuityCase{10'500ms, 20s, true},          //
                      ContinuityCase{20s, 20s, true},               //
                      ContinuityCase{20'500ms, 20s, false},         //
                      ContinuityCase{10'500ms, 2s, false},          // never narrower than 10 s
                      ContinuityCase{10s, 2s, true}));

TEST(Scans, ContinuityWindowFollowsTheScanInterval) {
    EXPECT_EQ(AgentInventoryReducer::scanContinuityWindow(1s), 10s);
    EXPECT_EQ(AgentInventoryReducer::scanContinuityWindow(5s), 10s);
    EXPECT_EQ(AgentInventoryReducer::scanContinuityWindow(10s), 20s);
    AgentInventoryReducer reducer;
    EXPECT_EQ(reducer.scanContinuityWindow(), 10s);
    reducer.setScanContinuityWindow(3s);
    EXPECT_EQ(reducer.scanContinuityWindow(), 10s);
}

TEST(Scans, FinishedProcessSessionKeepsItsFieldsAndLivesThirtySeconds) {
    Vanishing v(2s);
    auto finished = v.story.session("agent:codex/101");
    EXPECT_EQ(finished.lastEventAt, t(2s));
    EXPECT_EQ(finished.processIdentity, v.codex);
    EXPECT_EQ(v.story.deadline(), "+32s");
    EXPECT_EQ(v.story.snapshot().stopAvailability(finished), AgentStopAvailability::finished);
}

TEST(Scans, ProcessNeverCountedByTheTrackerEndsWithoutAFinish) {
    Story story;
    story.scan(t(0s), {presence(agent(101))});
    story.scan(t(1s), {});
    EXPECT_EQ(story.rows(), Rows{});
    EXPECT_EQ(story.takeEdges(), Rows{});
}

TEST(Scans, ScanOlderThanTheLastSuccessIsNotContinuousAndKeepsTheLastSuccess) {
    Story story;
    auto codex = agent(101);
    story.scan(t(10s), {presence(codex)});
    story.track(t(11s), {{codex, AgentKind::codex, true}}, {}, {}, t(9s));  // older than the scan: evidence only
    story.scan(t(12s), {presence(codex)});
    story.track(t(13s), {{codex, AgentKind::codex, true}}, {}, {}, t(13s));
    story.scan(t(14s), {}, {}, t(5s));  // taken before the last success
    EXPECT_EQ(story.reducer.lastSuccessfulScanAt(), t(12s));
    // Refreshed by the tracker at +13s, after that scan was taken: it survives.
    EXPECT_EQ(story.rows(), (Rows{"agent:codex/101 codex working"}));
}

TEST(Scans, RecordRefreshedAfterTheScanWasTakenSurvivesIt) {
    Story story;
    auto codex = agent(101);
    story.scan(t(0s), {presence(codex)});
    story.track(t(6s), {{codex, AgentKind::codex, false}}, {}, {}, t(6s));
    story.scan(t(7s), {}, {}, t(5s));  // taken at +5s, before the tracker's fact
    EXPECT_EQ(story.rows(), (Rows{"agent:codex/101 codex waiting"}));
    story.scan(t(8s), {});
    EXPECT_EQ(story.rows(), (Rows{"agent:codex/101 codex recentlyFinished"}));
}

TEST(Scans, ListenersAttributedWithoutAPresenceEntryRefreshTheRecord) {
    Story story;
    auto codex = agent(101);
    story.track(t(0s), {{codex, AgentKind::codex, true}});
    EXPECT_EQ(details(story.session("agent:codex/101")),
              "host=- project=- location=local evidence=process ports=unavailable:0 started=1101 last=+0s process=101");
    story.scan(t(1s), {}, {{codex, {listener(3000, 900)}}, {agent(555), {listener(4000, 901)}}});
    // Refreshed and now known to a scan; the unknown process adds nothing.
    EXPECT_EQ(story.rows(), (Rows{"agent:codex/101 codex working"}));
    EXPECT_EQ(details(story.session("agent:codex/101")),
              "host=- project=- location=local evidence=process ports=exact:1 started=1101 last=+1s process=101");
}

TEST(Scans, VanishedProcessWithAHookSessionEndsTheHookSessionInstead) {
    Story story;
    auto codex = agent(101);
    story.scan(t(0s), {presence(codex)});
    story.hook(t(1s), AgentKind::codex, EventKind::promptSubmitted, "s1", {codex, std::nullopt, std::nullopt});
    story.track(t(2s), {{codex, AgentKind::codex, true}});
    story.scan(t(3s), {});
    EXPECT_EQ(story.rows(), (Rows{"hook:codex/s1 codex recentlyFinished"}));
    EXPECT_EQ(story.takeEdges(), (Rows{"hook:codex/s1 codex +3s"}));
    // Ended for good: a late event is ignored.
    story.hook(t(4s), AgentKind::codex, EventKind::turnEnded, "s1");
    EXPECT_EQ(story.rows(), (Rows{"hook:codex/s1 codex recentlyFinished"}));
}

TEST(Scans, HookSessionAfterAScanGapEndsWithoutAFinish) {
    Story story;
    auto codex = agent(101);
    story.scan(t(0s), {presence(codex)});
    story.hook(t(1s), AgentKind::codex, EventKind::promptSubmitted, "s1", {codex, std::nullopt, std::nullopt});
    story.scan(t(60s), {});
    EXPECT_EQ(story.rows(), Rows{});
    EXPECT_EQ(story.takeEdges(), Rows{});
}

TEST(Scans, HookSessionThatSpokeAfterTheScanWasTakenStays) {
    Story story;
    auto codex = agent(101);
    story.scan(t(0s), {presence(codex)});
    story.hook(t(5s), AgentKind::codex, EventKind::promptSubmitted, "s1", {codex, std::nullopt, std::nullopt});
    story.scan(t(6s), {}, {}, t(4s));
    EXPECT_EQ(story.rows(), (Rows{"hook:codex/s1 codex working"}));
    story.scan(t(7s), {});
    EXPECT_EQ(story.rows(), (Rows{"hook:codex/s1 codex recentlyFinished"}));
}

TEST(Scans, HookSessionWhoseRuntimeIsGoneEndsAndFinishesEvenAfterAGap) {
    Story story;
    ProcessIdentity runtime{77, 5, 0};
    story.hook(t(1s), AgentKind::claude, EventKind::promptSubmitted, "s1", {std::nullopt, std::nullopt, runtime});
    story.hook(t(2s), AgentKind::claude, EventKind::sessionStart, "quiet", {std::nullopt, std::nullopt, runtime});
    std::vector<ProcessIdentity> asked;
    story.scan(t(500s), {}, {}, {}, [&](const ProcessIdentity& id) {
        asked.push_back(id);
        return false;
    });
    EXPECT_EQ(asked, (std::vector<ProcessIdentity>{runtime, runtime}));
    EXPECT_EQ(story.rows(), (Rows{"hook:claude/s1 claude recentlyFinished"}));
    EXPECT_EQ(story.takeEdges(), (Rows{"hook:claude/s1 claude +500s"}));
}

TEST(Scans, HookSessionWithACurrentRuntimeStays) {
    Story story;
    story.hook(t(1s), AgentKind::claude, EventKind::promptSubmitted, "s1",
               {std::nullopt, std::nullopt, ProcessIdentity{77, 5, 0}});
    story.scan(t(2s), {});
    EXPECT_EQ(story.rows(), (Rows{"hook:claude/s1 claude working"}));
}

TEST(Scans, SuppressedProcessStaysHiddenAndVanishesWithoutAFinish) {
    Story story;
    auto codex = agent(101);
    story.scan(t(0s), {presence(codex)});
    story.track(t(1s), {{codex, AgentKind::codex, true}});
    story.hook(t(2s), AgentKind::codex, EventKind::promptSubmitted, "s1", {codex, std::nullopt, std::nullopt});
    story.hook(t(3s), AgentKind::codex, EventKind::sessionEnded, "s1", {codex, std::nullopt, std::nullopt});
    EXPECT_EQ(story.takeEdges(), (Rows{"hook:codex/s1 codex +3s"}));
    story.scan(t(4s), {presence(codex)});
    EXPECT_EQ(story.rows(), (Rows{"hook:codex/s1 codex recentlyFinished"}));  // no process row beside it
    story.scan(t(5s), {});
    EXPECT_EQ(story.takeEdges(), Rows{});  // finished once, through its hook session
}

TEST(Scans, SuppressionOfAVanishedProcessIsDroppedUnlessMadeAfterTheScan) {
    Story story;
    auto codex = agent(101);
    story.scan(t(0s), {presence(codex)});
    story.hook(t(2s), AgentKind::codex, EventKind::sessionStart, "s1", {codex, std::nullopt, std::nullopt});
    story.hook(t(3s), AgentKind::codex, EventKind::sessionEnded, "s1", {codex, std::nullopt, std::nullopt});
    story.scan(t(4s), {}, {}, t(1s));  // taken before the suppression: it stays
    story.scan(t(5s), {presence(codex)});
    EXPECT_EQ(story.rows(), Rows{});
    story.scan(t(6s), {});  // gone: the suppression goes with it
    story.scan(t(7s), {presence(codex)});
    EXPECT_EQ(story.rows(), (Rows{"agent:codex/101 codex detected"}));
}

TEST(Scans, ProviderResolvedByTheScanIsKeptAsFallbackWithoutAHost) {
    Story story;
    auto claude = agent(202, AgentKind::claude);
    story.scan(t(0s), {presence(claude, AgentKind::codex)});
    EXPECT_EQ(story.rows(), (Rows{"agent:claude/202 codex detected"}));
    EXPECT_EQ(story.reducer.presentedProviderEvidence().at(claude), AgentKind::codex);
}

TEST(Scans, NewerHostObservationWinsOverTheScansHost) {
    Story story;
    auto codex = agent(101);
    story.scan(t(0s), {presence(codex, {}, host(HostAppKind::iterm2))});
    story.track(t(6s), {{codex, AgentKind::codex, true}}, {}, {{codex, HostAppKind::iterm2}}, t(6s));
    // A scan taken at +5s, before the tracker's observation, reports Warp.
    story.scan(t(7s), {presence(codex, {}, host(HostAppKind::warp, 600))}, {}, t(5s));
    auto s = story.session("agent:codex/101");
    EXPECT_EQ(s.controlSurface->kind, HostAppKind::iterm2);
    EXPECT_EQ(s.provider, AgentKind::codex);
    EXPECT_EQ(s.state, AgentSessionState::working);
}

TEST(Scans, HostOfADesktopAgentAppDecidesTheProvider) {
    Story story;
    auto claude = agent(202, AgentKind::claude);
    story.scan(t(0s), {presence(claude, {}, host(HostAppKind::chatgpt))});
    EXPECT_EQ(story.rows(), (Rows{"agent:claude/202 codex detected"}));
    // A later observation in a plain terminal takes the provider back to the detected kind.
    story.scan(t(1s), {presence(claude, {}, host(HostAppKind::terminal))});
    EXPECT_EQ(story.rows(), (Rows{"agent:claude/202 claude detected"}));
    EXPECT_EQ(story.session("agent:claude/202").controlSurface->kind, HostAppKind::terminal);
}

TEST(Scans, ProjectNameKeptFromARecordRefreshedAfterTheScan) {
    Story story;
    auto codex = agent(101);
    story.scan(t(0s), {presence(codex, {}, {}, "first")});
    story.track(t(6s), {{codex, AgentKind::codex, true}}, {}, {}, t(6s));
    story.scan(t(7s), {presence(codex, {}, {}, "second")}, {}, t(5s));
    EXPECT_EQ(story.session("agent:codex/101").projectName, "first");
    story.scan(t(8s), {presence(codex, {}, {}, "second")});
    EXPECT_EQ(story.session("agent:codex/101").projectName, "second");
}

}  // namespace
}  // namespace quaylight::testsupport
