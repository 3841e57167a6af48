// A hook event costs what it changes: the next snapshot builds anew only the sessions the
// event touched and shares every other session object with the snapshot before it.

#include <map>
#include <set>

#include <gtest/gtest.h>

#include "tests/Quaylight/agent-inventory/support/InventoryTesting.h"

namespace quaylight::testsupport {
namespace {

// The row texts of the sessions whose objects are not the ones `before` published.
std::set<std::string> rebuilt(const AgentInventorySnapshot& before, const AgentInventorySnapshot& after) {
    std::map<std::string, const AgentSessionSnapshot*> old;
    for (std::size_t i = 0; i < before.sessions.size(); ++i)
        old[before.sessions[i].rowKey()] = before.sessions.shared(i).get();
    std::set<std::string> texts;
    for (std::size_t i = 0; i < after.sessions.size(); ++i) {
        auto found = old.find(after.sessions[i].rowKey());
        if (found == old.end() || found->second != after.sessions.shared(i).get()) texts.insert(row(after.sessions[i]));
    }
    return texts;
}

std::string sessionName(int i) { return "s" + std::to_string(i); }

TEST(InventoryPublication, HookEventRebuildsOnlyItsOwnSession) {
    Story story;
    for (int i = 0; i < 200; ++i)
        story.hook(t(std::chrono::milliseconds(i)), AgentKind::claude, EventKind::sessionStart, sessionName(i));
    const auto before = story.snapshot();
    ASSERT_EQ(before.sessions.size(), 200u);

    story.hook(t(5s), AgentKind::claude, EventKind::promptSubmitted, "s50");
    const auto after = story.snapshot();
    EXPECT_EQ(rebuilt(before, after), (std::set<std::string>{"hook:claude/s50 claude working"}));
    EXPECT_EQ(after.sessions.size(), 200u);

    // A snapshot taken again without an input rebuilds nothing.
    EXPECT_EQ(rebuilt(after, story.snapshot()), std::set<std::string>{});
}

TEST(InventoryPublication, NewAndEndedSessionsRebuildNothingElse) {
    Story story;
    for (int i = 0; i < 50; ++i)
        story.hook(t(std::chrono::milliseconds(i)), AgentKind::codex, EventKind::promptSubmitted, sessionName(i));
    auto before = story.snapshot();

    story.hook(t(2s), AgentKind::codex, EventKind::sessionStart, "new");
    auto after = story.snapshot();
    EXPECT_EQ(rebuilt(before, after), (std::set<std::string>{"hook:codex/new codex detected"}));
    EXPECT_EQ(after.sessions.size(), 51u);

    before = after;
    story.hook(t(3s), AgentKind::codex, EventKind::sessionEnded, "s7");
    after = story.snapshot();
    EXPECT_EQ(rebuilt(before, after), (std::set<std::string>{"hook:codex/s7 codex recentlyFinished"}));
    EXPECT_EQ(after.sessions.size(), 51u);  // the live row became the finished one
}

TEST(InventoryPublication, EventOfAProcessSessionRebuildsTheSessionsSharingThatProcess) {
    // Sessions of one agent process share its sockets only while there is one of them, so
    // a second session on the process changes the first; a session elsewhere stays.
    Story story;
    const auto codex = agent(101);
    story.scan(t(0s), {presence(codex)}, {{codex, {listener(3000, 101)}}});
    const HookOrigin fromCodex{codex, std::nullopt, std::nullopt};
    story.hook(t(1s), AgentKind::codex, EventKind::promptSubmitted, "a", fromCodex);
    story.hook(t(1s), AgentKind::claude, EventKind::promptSubmitted, "elsewhere");
    const auto before = story.snapshot();
    EXPECT_EQ(story.session("hook:codex/a").portRelationship, PortRelationshipConfidence::exact);

    story.hook(t(2s), AgentKind::codex, EventKind::sessionStart, "b", fromCodex);
    const auto after = story.snapshot();
    EXPECT_EQ(rebuilt(before, after),
              (std::set<std::string>{"hook:codex/a codex working", "hook:codex/b codex detected"}));
    EXPECT_EQ(story.session("hook:codex/a").portRelationship, PortRelationshipConfidence::unavailable);
}

TEST(InventoryPublication, AgeingRebuildsOnlyWhatRanOut) {
    Story story;
    story.hook(t(0s), AgentKind::claude, EventKind::promptSubmitted, "old");
    story.hook(t(0s), AgentKind::claude, EventKind::sessionEnded, "old");
    story.hook(t(10s), AgentKind::claude, EventKind::promptSubmitted, "busy");
    story.hook(t(20s), AgentKind::claude, EventKind::promptSubmitted, "other");
    const auto before = story.snapshot();
    EXPECT_EQ(story.deadline(), "+30s");

    story.reducer.expireTransients(t(30s));  // the finished row goes, nothing else changes
    const auto after = story.snapshot();
    const auto shown = rows(after);
    EXPECT_EQ(std::set<std::string>(shown.begin(), shown.end()),
              (std::set<std::string>{"hook:claude/busy claude working", "hook:claude/other claude working"}));
    EXPECT_EQ(rebuilt(before, after), std::set<std::string>{});
    EXPECT_EQ(story.deadline(), "+43210s");
}

}  // namespace
}  // namespace quaylight::testsupport
