#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/Quaylight/agent-inventory/support/InventoryTesting.h"

namespace quaylight::testsupport {
namespace {

using Rows = std::vector<std::string>;

TEST(Tracking, CountedProcessesShowTheirActivity) {
    Story story;
    auto codex = agent(101);
    auto claude = agent(202, AgentKind::claude);
    story.track(t(1s), {{codex, AgentKind::codex, true}, {claude, AgentKind::claude, false}});
    EXPECT_EQ(story.rows(), (Rows{"agent:claude/202 claude waiting", "agent:codex/101 codex working"}));
    story.track(t(2s), {{codex, AgentKind::codex, false}, {claude, AgentKind::claude, true}});
    EXPECT_EQ(story.rows(), (Rows{"agent:claude/202 claude working", "agent:codex/101 codex waiting"}));
    EXPECT_EQ(story.reducer.capturedAt(), t(2s));
}

TEST(Tracking, FinishedRunFinishesItsProcessSession) {
    Story story;
    auto codex = agent(101);
    story.track(t(1s), {{codex, AgentKind::codex, true}});
    story.track(t(2s), {}, {{codex, AgentKind::codex}});
    EXPECT_EQ(story.rows(), (Rows{"agent:codex/101 codex recentlyFinished"}));
    EXPECT_EQ(story.takeEdges(), (Rows{"agent:codex/101 codex +2s"}));
    EXPECT_EQ(story.deadline(), "+32s");
    // The record went with it: a scan after the finished window shows nothing.
    story.scan(t(40s), {});
    EXPECT_EQ(story.rows(), Rows{});
    EXPECT_EQ(story.takeEdges(), Rows{});
}

TEST(Tracking, FinishedRunOfAProcessNeverCountedEndsQuietly) {
    Story story;
    auto codex = agent(101);
    story.scan(t(0s), {presence(codex)});
    story.track(t(2s), {}, {{codex, AgentKind::codex}});
    EXPECT_EQ(story.rows(), Rows{});
    EXPECT_EQ(story.takeEdges(), Rows{});
}

TEST(Tracking, FactsOlderThanAScanOnlyInformTheProvider) {
    Story story;
    auto claude = agent(202, AgentKind::claude);
    story.scan(t(10s), {presence(claude)});
    // Observed at +8s, before the scan: no activity verdict, and the finish is skipped.
    story.track(t(11s), {{claude, AgentKind::claude, true}}, {}, {{claude, HostAppKind::claudeDesktop}}, t(8s));
    EXPECT_EQ(story.rows(), (Rows{"agent:claude/202 claude detected"}));
    story.track(t(12s), {}, {{claude, AgentKind::claude}}, {}, t(9s));
    EXPECT_EQ(story.rows(), (Rows{"agent:claude/202 claude detected"}));
    EXPECT_EQ(story.takeEdges(), Rows{});
}

TEST(Tracking, OlderHostObservationCannotOverrideANewerOne) {
    Story story;
    auto claude = agent(202, AgentKind::claude);
    story.scan(t(10s), {presence(claude, {}, host(HostAppKind::chatgpt))});
    EXPECT_EQ(story.rows(), (Rows{"agent:claude/202 codex detected"}));
    story.track(t(11s), {{claude, AgentKind::claude, true}}, {}, {{claude, HostAppKind::terminal}}, t(9s));
    EXPECT_EQ(story.reducer.presentedProviderEvidence().at(claude), AgentKind::codex);
    story.track(t(12s), {{claude, AgentKind::claude, true}}, {}, {{claude, HostAppKind::terminal}}, t(12s));
    EXPECT_EQ(story.rows(), (Rows{"agent:claude/202 claude working"}));
    // The scan's ChatGPT host disagrees with the newer evidence and is dropped.
    EXPECT_EQ(story.session("agent:claude/202").controlSurface, std::nullopt);
}

TEST(Tracking, FinishedFactIsSkippedWhenTheProcessSpokeSince) {
    struct Case {
        const char* name;
        std::function<void(Story&, const AgentProcessIdentity&)> refresh;
    };
    auto codex = agent(101);
    for (const auto& [name, refresh] : std::vector<Case>{
             {"hook event", [](Story& s, const AgentProcessIdentity& a) {
                  s.hook(t(6s), AgentKind::codex, EventKind::promptSubmitted, "s1", {a, std::nullopt, std::nullopt});
              }},
             {"scan", [](Story& s, const AgentProcessIdentity& a) { s.scan(t(6s), {presence(a)}); }}}) {
        Story story;
        story.track(t(1s), {{codex, AgentKind::codex, true}});
        refresh(story, codex);
        auto before = story.rows();
        story.takeEdges();
        story.track(t(7s), {}, {{codex, AgentKind::codex}}, {}, t(5s));
        EXPECT_EQ(story.rows(), before) << name;
        EXPECT_EQ(story.takeEdges(), Rows{}) << name;
    }
}

TEST(Tracking, FinishedFactIsSkippedWhenTheSuppressionChangedSince) {
    Story story;
    auto codex = agent(101);
    story.hook(t(6s), AgentKind::codex, EventKind::sessionStart, "s0", {codex, std::nullopt, std::nullopt});
    story.hook(t(6s), AgentKind::codex, EventKind::sessionEnded, "s0", {codex, std::nullopt, std::nullopt});
    story.track(t(7s), {}, {{codex, AgentKind::codex}}, {}, t(5s));
    // Skipped entirely: the suppression stays and hides the process when it is counted.
    story.track(t(8s), {{codex, AgentKind::codex, true}});
    EXPECT_EQ(story.rows(), Rows{});
}

TEST(Tracking, FinishedRunEndsItsHookSessionsWithAFinishEach) {
    Story story;
    auto claude = agent(202, AgentKind::claude);
    story.hook(t(1s), AgentKind::claude, EventKind::promptSubmitted, "a", {claude, std::nullopt, std::nullopt});
    story.hook(t(2s), AgentKind::claude, EventKind::sessionStart, "b", {claude, std::nullopt, std::nullopt});
    story.track(t(3s), {{claude, AgentKind::claude, true}});  // makes both eligible
    story.track(t(4s), {}, {{claude, AgentKind::claude}});
    EXPECT_THAT(story.rows(), ::testing::UnorderedElementsAre("hook:claude/a claude recentlyFinished",
                                                              "hook:claude/b claude recentlyFinished"));
    // The process record is covered by its hook sessions: it does not finish on its own.
    EXPECT_EQ(story.takeEdges(), (Rows{"hook:claude/a claude +4s", "hook:claude/b claude +4s"}));
}

TEST(Tracking, SuppressedProcessIsNotMadeEligibleAndFinishesNothing) {
    Story story;
    auto codex = agent(101);
    story.hook(t(1s), AgentKind::codex, EventKind::sessionStart, "s1", {codex, std::nullopt, std::nullopt});
    story.hook(t(2s), AgentKind::codex, EventKind::sessionEnded, "s1", {codex, std::nullopt, std::nullopt});
    story.track(t(3s), {{codex, AgentKind::codex, true}});
    EXPECT_EQ(story.rows(), Rows{});  // hidden by the suppression
    story.track(t(4s), {}, {{codex, AgentKind::codex}});
    EXPECT_EQ(story.rows(), Rows{});
    EXPECT_EQ(story.takeEdges(), Rows{});
    // The suppression went with the run: the same identity counted again is shown.
    story.track(t(5s), {{codex, AgentKind::codex, true}});
    EXPECT_EQ(story.rows(), (Rows{"agent:codex/101 codex working"}));
}

TEST(Tracking, ProviderOfTheFinishIsTheEvidenceProvider) {
    Story story;
    auto claude = agent(202, AgentKind::claude);
    story.track(t(1s), {{claude, AgentKind::codex, true}}, {}, {{claude, HostAppKind::chatgpt}});
    EXPECT_EQ(story.rows(), (Rows{"agent:claude/202 codex working"}));
    story.track(t(2s), {}, {{claude, AgentKind::claude}});
    EXPECT_EQ(story.takeEdges(), (Rows{"agent:claude/202 codex +2s"}));
    EXPECT_TRUE(story.reducer.presentedProviderEvidence().empty());
}

TEST(Disconnection, RemovesTheProvidersHookSessionsWithoutAFinish) {
    Story story;
    story.hook(t(1s), AgentKind::claude, EventKind::promptSubmitted, "c1");
    story.hook(t(2s), AgentKind::claude, EventKind::permissionRequested, "c2");
    story.hook(t(3s), AgentKind::codex, EventKind::promptSubmitted, "x1");
    story.reducer.providerDisconnected(AgentKind::claude, t(4s));
    EXPECT_EQ(story.rows(), (Rows{"hook:codex/x1 codex working"}));
    EXPECT_EQ(story.takeEdges(), Rows{});
    EXPECT_EQ(story.reducer.capturedAt(), t(4s));
    // No termination mark: a new event of the session is welcome again.
    story.hook(t(5s), AgentKind::claude, EventKind::turnEnded, "c1");
    EXPECT_EQ(story.rows(), (Rows{"hook:claude/c1 claude waiting", "hook:codex/x1 codex working"}));
}

TEST(Disconnection, LiftsTheProvidersSuppressions) {
    Story story;
    auto codex = agent(101);
    story.scan(t(0s), {presence(codex)});
    story.hook(t(1s), AgentKind::codex, EventKind::sessionStart, "s1", {codex, std::nullopt, std::nullopt});
    story.hook(t(2s), AgentKind::codex, EventKind::sessionEnded, "s1", {codex, std::nullopt, std::nullopt});
    EXPECT_EQ(story.rows(), Rows{});
    story.reducer.providerDisconnected(AgentKind::claude, t(3s));
    EXPECT_EQ(story.rows(), Rows{});  // another provider's suppression stays
    story.reducer.providerDisconnected(AgentKind::codex, t(4s));
    EXPECT_EQ(story.rows(), (Rows{"agent:codex/101 codex detected"}));
}

}  // namespace
}  // namespace quaylight::testsupport
