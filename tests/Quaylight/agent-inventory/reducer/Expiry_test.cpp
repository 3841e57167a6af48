#include <gtest/gtest.h>

#include "tests/Quaylight/agent-inventory/support/InventoryTesting.h"

namespace quaylight::testsupport {
namespace {

using Rows = std::vector<std::string>;
const std::string stale = " \"No provider events for a while — state unknown.\"";

TEST(Expiry, FinishedRowLivesThirtySeconds) {
    Story story;
    story.hook(t(100s), AgentKind::claude, EventKind::promptSubmitted, "s1");
    story.hook(t(110s), AgentKind::claude, EventKind::sessionEnded, "s1");
    EXPECT_EQ(story.deadline(), "+140s");

    story.reducer.expireTransients(t(140s) - 1us);
    EXPECT_EQ(story.rows(), (Rows{"hook:claude/s1 claude recentlyFinished"}));
    story.reducer.expireTransients(t(140s));  // due at exactly its expiry
    EXPECT_EQ(story.rows(), Rows{});
    EXPECT_EQ(story.deadline(), "none");
}

TEST(Expiry, SnapshotShowsAFinishedRowUntilExpiryRuns) {
    Story story;
    story.hook(t(0s), AgentKind::claude, EventKind::promptSubmitted, "s1");
    story.hook(t(1s), AgentKind::claude, EventKind::sessionEnded, "s1");
    EXPECT_EQ(story.rows(), (Rows{"hook:claude/s1 claude recentlyFinished"}));  // no clock of its own
}

TEST(Expiry, WorkingSessionTurnsStaleAfterTwelveHoursWithoutEvents) {
    Story story;
    auto codex = agent(101);
    story.hook(t(0s), AgentKind::codex, EventKind::promptSubmitted, "s1", {codex, std::nullopt, std::nullopt});
    EXPECT_EQ(story.deadline(), "+43200s");

    story.reducer.expireTransients(t(43'199s));
    EXPECT_EQ(story.rows(), (Rows{"hook:codex/s1 codex working"}));
    story.reducer.expireTransients(t(43'200s));
    EXPECT_EQ(story.rows(), (Rows{"hook:codex/s1 codex detected" + stale}));
    EXPECT_EQ(story.deadline(), "none");  // with an agent process it is never removed by age

    // The next event sets the state again and clears the stale mark.
    story.hook(t(50'000s), AgentKind::codex, EventKind::promptSubmitted, "s1", {codex, std::nullopt, std::nullopt});
    EXPECT_EQ(story.rows(), (Rows{"hook:codex/s1 codex working"}));
    EXPECT_EQ(story.deadline(), "+93200s");
}

TEST(Expiry, StaleRuleCoversEveryAmbientState) {
    for (auto event : {EventKind::permissionRequested, EventKind::needsInputNotification, EventKind::promptSubmitted,
                       EventKind::turnEnded}) {
        Story story;
        story.hook(t(0s), AgentKind::claude, event, "s1");
        story.reducer.expireTransients(t(43'200s));
        EXPECT_EQ(story.rows(), (Rows{"hook:claude/s1 claude detected" + stale})) << rawValue(event);
    }
    Story detected;
    detected.hook(t(0s), AgentKind::claude, EventKind::sessionStart, "s1");
    detected.reducer.expireTransients(t(43'200s));
    EXPECT_EQ(detected.rows(), (Rows{"hook:claude/s1 claude detected"}));  // nothing to downgrade
}

TEST(Expiry, SessionWithoutAgentProcessGoesAfterADayWithoutEvents) {
    Story story;
    story.hook(t(0s), AgentKind::claude, EventKind::promptSubmitted, "s1");
    story.reducer.expireTransients(t(43'200s));
    EXPECT_EQ(story.deadline(), "+86400s");  // the stale deadline is gone, the orphan one stays

    story.reducer.expireTransients(t(86'399s));
    EXPECT_EQ(story.rows().size(), 1u);
    story.reducer.expireTransients(t(86'400s));
    EXPECT_EQ(story.rows(), Rows{});
    EXPECT_EQ(story.takeEdges(), Rows{});  // no finish
    EXPECT_EQ(story.deadline(), "none");

    // Removed without a mark: any event brings the session back.
    story.hook(t(90'000s), AgentKind::claude, EventKind::turnEnded, "s1");
    EXPECT_EQ(story.rows(), (Rows{"hook:claude/s1 claude waiting"}));
}

TEST(Expiry, DeadlineIsTheEarliestOfAll) {
    Story story;
    EXPECT_EQ(story.deadline(), "none");
    story.hook(t(0s), AgentKind::claude, EventKind::sessionStart, "idle");   // orphan at +86400
    EXPECT_EQ(story.deadline(), "+86400s");
    story.hook(t(10s), AgentKind::claude, EventKind::promptSubmitted, "busy");  // stale at +43210
    EXPECT_EQ(story.deadline(), "+43210s");
    story.hook(t(20s), AgentKind::claude, EventKind::promptSubmitted, "done");
    story.hook(t(21s), AgentKind::claude, EventKind::sessionEnded, "done");  // finished until +51
    EXPECT_EQ(story.deadline(), "+51s");
}

TEST(Expiry, EveryDeadlineLiesAfterTheTimeItWasExpiredAt) {
    Story story;
    story.hook(t(0s), AgentKind::claude, EventKind::promptSubmitted, "a");
    story.hook(t(5s), AgentKind::codex, EventKind::needsInputNotification, "b");
    story.hook(t(6s), AgentKind::codex, EventKind::sessionEnded, "b");
    for (auto now = t(0s); story.reducer.nextTransientDeadline(); now = *story.reducer.nextTransientDeadline()) {
        story.reducer.expireTransients(now);
        if (auto next = story.reducer.nextTransientDeadline()) {
            EXPECT_GT(*next, now);
        }
    }
    EXPECT_EQ(story.rows(), Rows{});
}

TEST(Expiry, ScanFailureMarksTheInventoryStaleWithTheLastSuccess) {
    Story story;
    story.scan(t(5s), {});
    story.hook(t(6s), AgentKind::claude, EventKind::promptSubmitted, "s1");
    story.hook(t(7s), AgentKind::claude, EventKind::sessionEnded, "s1");
    story.reducer.applyScanFailure(t(40s));
    auto snapshot = story.snapshot();
    EXPECT_EQ(snapshot.freshness, InventoryFreshness::stale(t(5s)));
    EXPECT_EQ(snapshot.capturedAt, t(40s));
    EXPECT_EQ(snapshot.sessions.size(), 0u);  // expired at the failure's time
    story.scan(t(41s), {});
    EXPECT_EQ(story.snapshot().freshness, InventoryFreshness::live());
}

TEST(Expiry, ScanFailureNeverMovesTheCapturedTimeBack) {
    Story story;
    // A tracker observation stamped later than the clock that reports the failure.
    story.track(t(10s), {}, {}, {}, t(60s));
    story.reducer.applyScanFailure(t(20s));
    EXPECT_EQ(story.reducer.capturedAt(), t(60s));
    EXPECT_TRUE(story.reducer.scanIsStale());
    EXPECT_EQ(story.snapshot().freshness, InventoryFreshness::stale(std::nullopt));
}

TEST(Expiry, EmptyReducerPublishesTheEmptySnapshot) {
    AgentInventoryReducer reducer;
    auto snapshot = reducer.snapshot({});
    EXPECT_EQ(snapshot.sessions.size(), 0u);
    EXPECT_EQ(snapshot.capturedAt, distantPast);
    EXPECT_EQ(snapshot.freshness, InventoryFreshness::live());  // not stale until a scan fails
    EXPECT_EQ(AgentInventorySnapshot::empty().freshness, InventoryFreshness::stale(std::nullopt));
}

}  // namespace
}  // namespace quaylight::testsupport
