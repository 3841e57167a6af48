// A hook event costs what it changes: the next snapshot builds anew only the sessions the
// event touched and shares every other session object with the snapshot before it.

#include <functional>
#include <map>
#include <set>
#include <utility>
#include <vector>

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

// After every input of a long mixed story (hook events with and without an agent process
// and host, ends, scans that find, keep and lose processes, tracking facts, ageing, a
// provider's removal), the rows kept between inputs equal rows built afresh.
TEST(InventoryPublication, KeptRowsEqualRowsBuiltAfreshAfterEveryInput) {
    Story story;
    const auto codex = agent(101);
    const auto claude = agent(202, AgentKind::claude);
    const auto other = agent(303);
    const HookOrigin fromCodex{codex, host(HostAppKind::vscode), std::nullopt};
    const HookOrigin fromClaude{claude, host(HostAppKind::terminal, 501), std::nullopt};
    const HookOrigin fromOther{other, std::nullopt, std::nullopt};
    const HookOrigin fromRuntime{std::nullopt, host(HostAppKind::iterm2, 502), ProcessIdentity{77, 5, 0}};
    const std::vector<std::pair<std::string, std::function<void()>>> steps = {
        {"first scan",
         [&] { story.scan(t(0s), {presence(codex), presence(other)}, {{codex, {listener(3000, 101)}}}); }},
        {"a on codex", [&] { story.hook(t(1s), AgentKind::codex, EventKind::promptSubmitted, "a", fromCodex, "web"); }},
        {"b on codex", [&] { story.hook(t(2s), AgentKind::codex, EventKind::sessionStart, "b", fromCodex); }},
        {"c on claude, not yet scanned",
         [&] { story.hook(t(2s), AgentKind::claude, EventKind::promptSubmitted, "c", fromClaude); }},
        {"r on a runtime",
         [&] { story.hook(t(3s), AgentKind::claude, EventKind::permissionRequested, "r", fromRuntime); }},
        {"a waits", [&] { story.hook(t(3s), AgentKind::codex, EventKind::turnEnded, "a", fromCodex); }},
        {"tracking",
         [&] {
             story.track(t(4s), {{codex, AgentKind::codex, true}, {claude, AgentKind::claude, false}});
         }},
        {"b ends", [&] { story.hook(t(5s), AgentKind::codex, EventKind::sessionEnded, "b", fromCodex); }},
        {"o on the other process",
         [&] { story.hook(t(5s), AgentKind::codex, EventKind::promptSubmitted, "o", fromOther); }},
        {"o ends: its process stays hidden",
         [&] { story.hook(t(6s), AgentKind::codex, EventKind::sessionEnded, "o", fromOther); }},
        {"second scan",
         [&] {
             story.scan(t(7s), {presence(codex), presence(claude), presence(other)}, {{claude, {listener(4000, 202)}}});
         }},
        {"o again on the other process",
         [&] { story.hook(t(8s), AgentKind::codex, EventKind::promptSubmitted, "o", fromOther); }},
        {"a ends: codex has no hook session left",
         [&] { story.hook(t(8s), AgentKind::codex, EventKind::sessionEnded, "a", fromCodex); }},
        {"codex and the runtime gone",
         [&] {
             story.scan(t(9s), {presence(claude)}, {}, std::nullopt, [](const ProcessIdentity&) { return false; });
         }},
        {"claude finished", [&] { story.track(t(10s), {}, {{claude, AgentKind::claude}}); }},
        {"some finished rows run out", [&] { story.reducer.expireTransients(t(38s)); }},
        {"c starts again", [&] { story.hook(t(39s), AgentKind::claude, EventKind::sessionStart, "c", fromRuntime); }},
        {"the rest run out", [&] { story.reducer.expireTransients(t(50s)); }},
        {"a prompt after the stale window",
         [&] { story.hook(t(43'300s), AgentKind::claude, EventKind::promptSubmitted, "late"); }},
        {"codex removed", [&] { story.reducer.providerDisconnected(AgentKind::codex, t(43'301s)); }},
        {"orphans aged out", [&] { story.reducer.expireTransients(t(200'000s)); }},
    };
    for (const auto& [what, input] : steps) {
        input();
        auto afresh = story.reducer;
        afresh.republishAll();
        EXPECT_EQ(story.snapshot(), afresh.snapshot({})) << what;
        EXPECT_EQ(story.reducer.nextTransientDeadline(), afresh.nextTransientDeadline()) << what;
    }
}

}  // namespace
}  // namespace quaylight::testsupport
